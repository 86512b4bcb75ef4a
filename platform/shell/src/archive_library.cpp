// The 7-Zip format library, offered as the module "7z.dll": its object
// factory and the BSTR calls that go with the objects it hands out.
//
// Debian installs the library as a plain shared object outside the loader's
// path, so it is opened here by its full path on first use.
//
// It is opened without RTLD_DEEPBIND. AddressSanitizer refuses dlopen with
// that flag, and it is not needed: our programs are linked statically against
// the layer and without -rdynamic, and the layer's own SysAllocString,
// GetLastError and friends have C++ linkage, so none of the library's C names
// (SysAllocString, SysFreeString, GetLastError, ...) can bind to ours; the
// library keeps using its own, with its 4-byte wchar_t strings.

#include <dlfcn.h>

#include "win/kernel.h"
#include "win/unknwn.h"
#include "zv/builtin_modules.h"

namespace {

constexpr char kLibraryPath[] = "/usr/lib/p7zip/7z.so";

using CreateObjectProc = HRESULT (*)(const GUID*, const GUID*, void**);
using SysAllocStringProc = wchar_t* (*)(const wchar_t*);
using SysFreeStringProc = void (*)(wchar_t*);

void* Library() {
  static void* const handle = ::dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL);
  return handle;
}

template <typename Proc>
Proc LibraryProc(const char* name) {
  void* const handle = Library();
  return handle == nullptr ? nullptr : reinterpret_cast<Proc>(::dlsym(handle, name));
}

HRESULT CreateObject(const GUID* clsid, const GUID* iid, void** object) {
  static const auto proc = LibraryProc<CreateObjectProc>("CreateObject");
  if (proc == nullptr) {
    if (object != nullptr) *object = nullptr;
    return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  }
  return proc(clsid, iid, object);
}

wchar_t* SysAllocString(const wchar_t* text) {
  static const auto proc = LibraryProc<SysAllocStringProc>("SysAllocString");
  return proc == nullptr ? nullptr : proc(text);
}

void SysFreeString(wchar_t* text) {
  static const auto proc = LibraryProc<SysFreeStringProc>("SysFreeString");
  if (proc != nullptr) proc(text);
}

// GetProcAddress hands out every procedure under one pointer type; the caller
// casts it back to the real one.
template <typename Proc>
FARPROC AsFarProc(Proc proc) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(proc));
}

const zv::BuiltinProc kCreateObject{u"7z.dll", "CreateObject", AsFarProc(&CreateObject)};
const zv::BuiltinProc kSysAllocString{u"7z.dll", "SysAllocString", AsFarProc(&SysAllocString)};
const zv::BuiltinProc kSysFreeString{u"7z.dll", "SysFreeString", AsFarProc(&SysFreeString)};

}  // namespace
