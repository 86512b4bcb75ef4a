// The layer's built-in modules, as LoadLibraryW/GetProcAddress hand them out.
// This file is compiled into every program that links the whole layer: a
// registration inside a part's static library would be dropped by the linker,
// because nothing else refers to it.
#include <textserv.h>
#include <windows.h>

#include "zv/builtin_modules.h"

namespace {

const zv::BuiltinProc kAlphaBlend{u"msimg32.dll", "AlphaBlend", reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&AlphaBlend))};
const zv::BuiltinProc kCreateTextServices{u"msftedit.dll", "CreateTextServices",
                                          reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&CreateTextServices))};

}  // namespace
