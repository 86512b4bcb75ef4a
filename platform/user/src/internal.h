// Calls shared between the source files of the user part.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "state.h"
#include "win/user.h"

namespace zv::user {

std::shared_ptr<WindowClass> FindClass(LPCWSTR className);

// The first live top-level window of this process with the class and title
// (null: any), or null.
HWND FindLocalTopLevel(const std::u16string* className, const std::u16string* title);

// Sends to a window of this process: directly on its own thread, else through
// its thread's queue, waiting until the deadline (nullopt: for ever). False,
// with the last error set, when the message was not answered.
bool SendToLocalWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                       std::optional<Clock::time_point> deadline, LRESULT* result);

// Runs a window's procedure on the calling thread; 0 when the window is gone.
LRESULT CallWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Handles the messages that other threads sent to the calling thread.
// Returns true when it handled at least one.
bool HandleIncomingSends(ThreadQueue& queue);

}  // namespace zv::user
