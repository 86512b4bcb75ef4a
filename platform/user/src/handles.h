// Window handle values. A handle carries the id of the process that owns the
// window in its upper 32 bits and a serial number, never reused within that
// process, in its lower 32 bits. So a handle names one window machine-wide,
// a foreign handle is told from a local one without asking anybody, and a
// handle of a destroyed window never comes back to life as another window.
#pragma once

#include "win/base.h"

namespace zv::user {

HWND MakeHandle(DWORD processId, DWORD serial);
DWORD HandleProcess(HWND hwnd);
// True for a handle made by this process (it may be dead all the same).
bool IsLocalHandle(HWND hwnd);

}  // namespace zv::user
