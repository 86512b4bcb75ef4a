// Windows of other processes. Every process that has top-level windows
// serves a Unix-domain socket named after its process id in a machine-wide
// folder; other processes ask it to find, describe, post to and send to its
// windows. Only integer wParam and lParam values cross: a message that
// carries a pointer is refused.
#pragma once

#include <optional>
#include <string>

#include "thread_queue.h"
#include "win/user.h"

namespace zv::user::remote {

// Starts serving this process's windows, once.
void EnsureServing();

// A top-level window of another live process with the class and title (null:
// any), or null.
HWND FindElsewhere(const std::u16string* className, const std::u16string* title);

struct WindowFacts {
  DWORD threadId = 0;
  std::u16string text;
};
// False (last error ERROR_INVALID_WINDOW_HANDLE) when the window or its
// process is gone.
bool Query(HWND hwnd, WindowFacts* facts);

// Sends and waits until the window's thread has handled the message, or until
// the deadline. While waiting, the calling thread handles what other threads
// send to it. False, with the last error set, when the message could not be
// delivered or answered.
bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
          std::optional<Clock::time_point> deadline, LRESULT* result);
BOOL Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Messages whose wParam or lParam point into the sender's memory.
bool CarriesPointer(UINT message);

}  // namespace zv::user::remote
