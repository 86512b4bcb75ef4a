// The calling thread's input state: its active, focus and capture windows.
// On Windows each thread's message queue has its own; a window of another
// thread is never one of them.
#pragma once

#include "win/user.h"

namespace zv::user {

struct ThreadInput {
  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
};

ThreadInput& CurrentInput();

// The input side forgets a destroyed window: hover tracking, drags, clicks.
void ForgetTrackingOf(HWND hwnd);

}  // namespace zv::user
