// The layer's built-in modules: procedures that LoadLibraryW/GetProcAddress
// hand out under a Windows module name ("msimg32.dll", "msftedit.dll").
// Only the platform layer includes this header.
#pragma once

#include "win/base.h"

namespace zv {

// Makes `proc` available as GetProcAddress(LoadLibraryW(moduleName), procName).
// Safe to call during static initialisation, from any translation unit.
// Module names compare case-insensitively, procedure names exactly.
void RegisterBuiltinModule(const char16_t* moduleName, const char* procName, FARPROC proc);

// Registers at static-initialisation time: a namespace-scope
// `const zv::BuiltinProc kAlphaBlend{u"msimg32.dll", "AlphaBlend", proc};`.
struct BuiltinProc {
  BuiltinProc(const char16_t* moduleName, const char* procName, FARPROC proc) {
    RegisterBuiltinModule(moduleName, procName, proc);
  }
};

}  // namespace zv
