#include "thread_queue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "win/kernel.h"

namespace zv::user {

void SentMessage::Complete(LRESULT value) {
  result = value;
  done.store(true, std::memory_order_release);
  if (sender) sender->Wake();
}

ThreadQueue::ThreadQueue(DWORD threadId)
    : threadId_(threadId), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

ThreadQueue::~ThreadQueue() {
  if (wakeFd_ >= 0) close(wakeFd_);
}

DWORD ThreadQueue::Post(const MSG& msg) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return ERROR_INVALID_THREAD_ID;
    if (posted_.size() >= kMaxPosted) return ERROR_NOT_ENOUGH_QUOTA;
    posted_.push_back(msg);
  }
  Wake();
  return ERROR_SUCCESS;
}

bool ThreadQueue::Send(const std::shared_ptr<SentMessage>& sent) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    sent_.push_back(sent);
  }
  Wake();
  return true;
}

std::shared_ptr<SentMessage> ThreadQueue::TakeSent() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (sent_.empty()) return nullptr;
  auto sent = sent_.front();
  sent_.pop_front();
  return sent;
}

bool ThreadQueue::TakePosted(const MessageFilter& filter, bool remove, MSG* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = std::find_if(posted_.begin(), posted_.end(), [&](const MSG& msg) {
    return filter.Matches(msg.hwnd, msg.message);
  });
  if (found == posted_.end()) return false;
  *out = *found;
  if (remove) posted_.erase(found);
  return true;
}

void ThreadQueue::PostQuit(int exitCode) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quitPosted_ = true;
    quitCode_ = exitCode;
  }
  Wake();
}

bool ThreadQueue::TakeQuit(bool remove, int* exitCode) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!quitPosted_) return false;
  *exitCode = quitCode_;
  if (remove) quitPosted_ = false;
  return true;
}

void ThreadQueue::ForgetWindow(HWND hwnd) {
  std::lock_guard<std::mutex> lock(mutex_);
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                               [&](const MSG& msg) { return msg.hwnd == hwnd; }),
                posted_.end());
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& timer) { return timer.hwnd == hwnd; }),
                timers_.end());
}

UINT_PTR ThreadQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  const UINT clamped = std::clamp(elapseMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  const auto interval = std::chrono::milliseconds(clamped);
  std::lock_guard<std::mutex> lock(mutex_);
  auto existing = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& timer) {
    return timer.hwnd == hwnd && timer.id == id;
  });
  if (hwnd == nullptr && existing == timers_.end()) {
    // A thread timer gets an id of its own unless it replaces one.
    auto taken = [&](UINT_PTR candidate) {
      return std::any_of(timers_.begin(), timers_.end(), [&](const Timer& timer) {
        return timer.hwnd == nullptr && timer.id == candidate;
      });
    };
    while (nextThreadTimerId_ == 0 || taken(nextThreadTimerId_)) ++nextThreadTimerId_;
    id = nextThreadTimerId_++;
  }
  const Timer timer{hwnd, id, proc, interval, Clock::now() + interval};
  if (existing != timers_.end()) {
    *existing = timer;
  } else {
    timers_.push_back(timer);
  }
  return id;
}

bool ThreadQueue::KillTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& timer) {
    return timer.hwnd == hwnd && timer.id == id;
  });
  if (found == timers_.end()) return false;
  timers_.erase(found);
  return true;
}

bool ThreadQueue::TakeDueTimer(const MessageFilter& filter, bool remove, MSG* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto now = Clock::now();
  Timer* earliest = nullptr;
  for (auto& timer : timers_) {
    if (timer.due > now || !filter.Matches(timer.hwnd, WM_TIMER)) continue;
    if (earliest == nullptr || timer.due < earliest->due) earliest = &timer;
  }
  if (earliest == nullptr) return false;
  *out = MSG{earliest->hwnd, WM_TIMER, earliest->id,
             reinterpret_cast<LPARAM>(earliest->proc), GetTickCount(), POINT{0, 0}};
  // Like Windows, a late timer fires once, not once for every missed period.
  if (remove) earliest->due = now + earliest->interval;
  return true;
}

bool ThreadQueue::IsTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc) {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::any_of(timers_.begin(), timers_.end(), [&](const Timer& timer) {
    return timer.hwnd == hwnd && timer.id == id && timer.proc == proc;
  });
}

std::optional<Clock::duration> ThreadQueue::UntilNextTimer() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (timers_.empty()) return std::nullopt;
  const auto next = std::min_element(timers_.begin(), timers_.end(),
                                     [](const Timer& a, const Timer& b) { return a.due < b.due; });
  return std::max(Clock::duration::zero(), next->due - Clock::now());
}

void ThreadQueue::Close() {
  std::deque<std::shared_ptr<SentMessage>> abandoned;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    abandoned.swap(sent_);
    posted_.clear();
    timers_.clear();
  }
  for (auto& sent : abandoned) sent->Complete(0);
}

void ThreadQueue::Wake() {
  const std::uint64_t one = 1;
  // A full counter already means "awake"; nothing else can go wrong here.
  [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

bool ThreadQueue::Wait(std::optional<Clock::duration> timeout, int extraFd, int displayFd) {
  pollfd fds[3] = {{wakeFd_, POLLIN, 0}, {extraFd, POLLIN, 0}, {displayFd, POLLIN, 0}};
  int timeoutMs = -1;
  if (timeout) {
    // Round up, so that a timer is never polled for just before it is due.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*timeout).count();
    timeoutMs = static_cast<int>(std::min<long long>(ms, 0x7FFFFFFF));
  }
  int ready;
  do {
    ready = poll(fds, 3, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (fds[0].revents & POLLIN) {
    std::uint64_t count;
    [[maybe_unused]] const ssize_t read_ = read(wakeFd_, &count, sizeof count);
  }
  return extraFd >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

}  // namespace zv::user
