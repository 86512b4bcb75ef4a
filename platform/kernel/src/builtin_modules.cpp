// The layer's built-in modules: LoadLibraryW, GetProcAddress, FreeLibrary and
// GetModuleHandleW.
#include "zv/builtin_modules.h"

#include <map>
#include <mutex>
#include <string>

#include "own_module.h"
#include "zv/text.h"

namespace {

struct Module {
  std::map<std::string, FARPROC> procs;
  int loads = 0;
};

struct Registry {
  std::mutex lock;
  std::map<std::u16string, Module> modules;
};

// Built on first use and never destroyed: other files register their
// procedures during static initialisation, in an order nobody controls.
Registry& TheRegistry() {
  static auto* registry = new Registry;
  return *registry;
}

// Module names compare without case, and a name without an extension means
// a ".dll", as for Windows' loader.
std::u16string ModuleKey(std::u16string_view name) {
  std::u16string key;
  for (char16_t c : name) key += c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  if (key.find(u'.') == std::u16string::npos) key += u".dll";
  return key;
}

HMODULE HandleOf(Module& module) { return reinterpret_cast<HMODULE>(&module); }

Module* ModuleOf(Registry& registry, HMODULE handle) {
  for (auto& [name, module] : registry.modules) {
    if (HandleOf(module) == handle && module.loads > 0) return &module;
  }
  return nullptr;
}

}  // namespace

namespace zv {

void RegisterBuiltinModule(const char16_t* moduleName, const char* procName, FARPROC proc) {
  auto& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  registry.modules[ModuleKey(moduleName)].procs[procName] = proc;
}

}  // namespace zv

HMODULE LoadLibraryW(LPCWSTR libFileName) {
  if (libFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  const auto it = registry.modules.find(ModuleKey(libFileName));
  if (it == registry.modules.end()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++it->second.loads;
  return HandleOf(it->second);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  auto& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  Module* found = ModuleOf(registry, module);
  if (found == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // Values below 0x10000 are ordinals; built-in modules export by name only.
  if (reinterpret_cast<std::uintptr_t>(procName) < 0x10000) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  const auto it = found->procs.find(procName);
  if (it == found->procs.end()) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return it->second;
}

BOOL FreeLibrary(HMODULE libModule) {
  auto& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  Module* found = ModuleOf(registry, libModule);
  if (found == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  --found->loads;
  return TRUE;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  if (moduleName == nullptr) return zv::kernel::OwnModuleHandle();
  auto& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  const auto it = registry.modules.find(ModuleKey(moduleName));
  if (it == registry.modules.end() || it->second.loads == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return HandleOf(it->second);
}
