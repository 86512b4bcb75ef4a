// A window class whose procedure records every message it gets, lets a test
// answer chosen messages, and passes the rest to DefWindowProcW.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

namespace user_test {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  DWORD threadId;
};

using Step = std::pair<HWND, UINT>;

class Recorder {
 public:
  using Answer = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

  static Recorder& Get() {
    static Recorder recorder;
    return recorder;
  }

  // A class name no other test process uses, registered with the recording
  // procedure and `extraBytes` window bytes.
  std::u16string RegisterClass(int extraBytes = 0) {
    static int counter = 0;
    const std::string name = "ZvRec" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    std::u16string wide(name.begin(), name.end());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Recorder::Procedure;
    wc.cbWndExtra = extraBytes;
    wc.lpszClassName = wide.c_str();
    if (!RegisterClassExW(&wc)) return {};
    return wide;
  }

  void SetAnswer(Answer answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_ = std::move(answer);
  }

  // The messages seen so far, restricted to `messages` when given.
  std::vector<Seen> Log(const std::vector<UINT>& messages = {}) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Seen> filtered;
    for (const Seen& seen : log_) {
      if (messages.empty() ||
          std::find(messages.begin(), messages.end(), seen.message) != messages.end()) {
        filtered.push_back(seen);
      }
    }
    return filtered;
  }

  // Which window got which message, in order, restricted like Log.
  std::vector<Step> Steps(const std::vector<UINT>& messages = {}) {
    std::vector<Step> steps;
    for (const Seen& seen : Log(messages)) steps.emplace_back(seen.hwnd, seen.message);
    return steps;
  }

  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
    answer_ = nullptr;
  }

  static LRESULT Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Recorder& self = Get();
    Answer answer;
    {
      std::lock_guard<std::mutex> lock(self.mutex_);
      self.log_.push_back(Seen{hwnd, message, wParam, GetCurrentThreadId()});
      answer = self.answer_;
    }
    if (answer) {
      if (const auto result = answer(hwnd, message, wParam, lParam)) return *result;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

 private:
  std::mutex mutex_;
  std::vector<Seen> log_;
  Answer answer_;
};

}  // namespace user_test
