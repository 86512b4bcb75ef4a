// A message-only window that collects what is posted to it, for tests of
// code that reports by PostMessageW.
#pragma once

#include <vector>

#include "windows.h"

namespace worker_test {

struct Posted {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class MessageSink {
 public:
  MessageSink() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"WorkerTestSink";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, u"WorkerTestSink", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~MessageSink() { DestroyWindow(window_); }
  MessageSink(const MessageSink&) = delete;
  MessageSink& operator=(const MessageSink&) = delete;

  HWND Window() const { return window_; }

  // Everything posted so far, oldest first.
  std::vector<Posted> Take() {
    std::vector<Posted> posted;
    MSG msg{};
    while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) posted.push_back({msg.message, msg.wParam, msg.lParam});
    return posted;
  }

 private:
  HWND window_ = nullptr;
};

}  // namespace worker_test
