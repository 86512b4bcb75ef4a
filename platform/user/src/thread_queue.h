// The message queue of one thread: messages posted to it, messages sent to it
// from other threads and processes, its quit request and its timers. Every
// member may be called from any thread; only the owning thread waits on it.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "message_filter.h"
#include "win/user.h"

namespace zv::user {

class ThreadQueue;

// A message sent from another thread, waiting to be handled on the thread of
// its window. The sender waits until `done`; `result` is valid from then on.
struct SentMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::shared_ptr<ThreadQueue> sender;
  LRESULT result = 0;
  std::atomic<bool> done{false};

  // Publishes the result and wakes the sender.
  void Complete(LRESULT value);
};

using Clock = std::chrono::steady_clock;

class ThreadQueue {
 public:
  // Windows refuses posts beyond this many waiting messages, so that a
  // stuck receiver cannot make its process grow without bound.
  static constexpr std::size_t kMaxPosted = 10000;

  explicit ThreadQueue(DWORD threadId);
  ~ThreadQueue();
  ThreadQueue(const ThreadQueue&) = delete;
  ThreadQueue& operator=(const ThreadQueue&) = delete;

  DWORD ThreadId() const { return threadId_; }

  // Fails with the Windows error to report, or succeeds with 0.
  DWORD Post(const MSG& msg);
  bool Send(const std::shared_ptr<SentMessage>& sent);
  std::shared_ptr<SentMessage> TakeSent();

  bool TakePosted(const MessageFilter& filter, bool remove, MSG* out);
  void PostQuit(int exitCode);
  bool TakeQuit(bool remove, int* exitCode);
  // Forgets the posted messages and timers of a destroyed window.
  void ForgetWindow(HWND hwnd);

  UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
  bool KillTimer(HWND hwnd, UINT_PTR id);
  bool TakeDueTimer(const MessageFilter& filter, bool remove, MSG* out);
  bool IsTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc);
  // Time until the next timer is due; nullopt without timers.
  std::optional<Clock::duration> UntilNextTimer();

  // The thread has ended: pending and later sends complete with 0 at once,
  // posts fail.
  void Close();

  void Wake();
  // Blocks until Wake, until `extraFd` or `displayFd` is readable, or until
  // the timeout passes (nullopt: no timeout). Returns true when `extraFd`
  // became readable.
  bool Wait(std::optional<Clock::duration> timeout, int extraFd, int displayFd);

 private:
  struct Timer {
    HWND hwnd;
    UINT_PTR id;
    TIMERPROC proc;
    Clock::duration interval;
    Clock::time_point due;
  };

  const DWORD threadId_;
  const int wakeFd_;
  std::mutex mutex_;
  std::deque<MSG> posted_;
  std::deque<std::shared_ptr<SentMessage>> sent_;
  bool quitPosted_ = false;
  int quitCode_ = 0;
  std::vector<Timer> timers_;
  UINT_PTR nextThreadTimerId_ = 1;
  bool closed_ = false;
};

}  // namespace zv::user
