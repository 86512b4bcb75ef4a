// Activation, keyboard focus and mouse capture of the calling thread, as the
// placement and input code need them.
#pragma once

#include "win/user.h"

namespace zv::user {

// Makes a top-level window the active window: WM_NCACTIVATE and WM_ACTIVATE
// to the window losing and the window gaining activation, the window raised.
void Activate(HWND top, WORD how);
// The active window is going away (hidden, minimised, disabled or
// destroyed): its owner, or else the topmost other shown window, takes over.
void ActivateInsteadOf(HWND leaving);
// A destroyed window stops being the focus, the capture and the active window.
void ForgetInputOf(HWND hwnd);
// Raises a top-level window and its owned windows above it, on screen too.
void BringToTop(HWND top);

}  // namespace zv::user
