#include "worker/archive/format_library.h"

#include <string>

#include "windows.h"

namespace SevenZip {
namespace {

using CreateObjectProc = HRESULT (*)(const GUID* classId, const GUID* interfaceId, void** object);
using SysFreeStringProc = void (*)(LibraryString text);

HMODULE LibraryModule() {
  static const HMODULE module = LoadLibraryW(u"7z.dll");
  return module;
}

template <typename Proc>
Proc LibraryProc(const char* name) {
  if (LibraryModule() == nullptr) return nullptr;
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(LibraryModule(), name)));
}

// Extraction of solid archives otherwise runs the callbacks on the library's
// own threads; every callback of ours expects the caller's thread.
HRESULT UseCallingThreadOnly(IInArchive* reader) {
  ISetProperties* properties = nullptr;
  if (reader->QueryInterface(IID_ISetProperties, reinterpret_cast<void**>(&properties)) != S_OK) {
    return S_OK;  // a handler without settings has no threads of its own either
  }
  const wchar_t* names[] = {L"mt"};
  PROPVARIANT values[1];
  PropVariantInit(&values[0]);
  values[0].vt = VT_UI4;
  values[0].ulVal = 1;
  const HRESULT result = properties->SetProperties(names, values, 1);
  properties->Release();
  return result;
}

}  // namespace

GUID HandlerClassId(ArchiveFormat format) {
  BYTE id = 0x07;
  switch (format) {
    case FormatZip: id = 0x01; break;
    case FormatCab: id = 0x08; break;
    case FormatLzma: id = 0x0A; break;
    case FormatLzma86: id = 0x0B; break;
    default: break;  // 7z, and every code that names no handler
  }
  return GUID{0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, id, 0x00, 0x00}};
}

HRESULT CreateReader(ArchiveFormat format, IInArchive** reader) {
  *reader = nullptr;
  static const auto createObject = LibraryProc<CreateObjectProc>("CreateObject");
  if (createObject == nullptr) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  const GUID classId = HandlerClassId(format);
  IInArchive* created = nullptr;
  const HRESULT result = createObject(&classId, &IID_IInArchive, reinterpret_cast<void**>(&created));
  if (result != S_OK || created == nullptr) return result != S_OK ? result : E_FAIL;
  const HRESULT setUp = UseCallingThreadOnly(created);
  if (setUp != S_OK) {
    created->Release();
    return setUp;
  }
  *reader = created;
  return S_OK;
}

void FreeLibraryString(LibraryString text) {
  static const auto sysFreeString = LibraryProc<SysFreeStringProc>("SysFreeString");
  if (text != nullptr && sysFreeString != nullptr) sysFreeString(text);
}

std::u16string PropertyValue::Text() const {
  if (value_.vt != VT_BSTR || value_.bstrVal == nullptr) return {};
  // The library's characters are 4 bytes wide but hold UTF-16 code units, so
  // surrogate pairs arrive as pairs and each unit carries over as it is.
  std::u16string text;
  for (const wchar_t* c = reinterpret_cast<const wchar_t*>(value_.bstrVal); *c != 0; ++c) {
    text.push_back(static_cast<char16_t>(*c));
  }
  return text;
}

void PropertyValue::Clear() {
  if (value_.vt == VT_BSTR) FreeLibraryString(reinterpret_cast<LibraryString>(value_.bstrVal));
  PropVariantInit(&value_);
}

}  // namespace SevenZip
