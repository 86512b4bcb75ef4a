// The running program as a module.
#pragma once

#include "win/kernel.h"

namespace zv::kernel {

// The own program's instance handle: its load address, as on Windows.
HMODULE OwnModuleHandle();

}  // namespace zv::kernel
