#include "state.h"

#include <algorithm>

#include "win/kernel.h"

namespace zv::user {

Window::~Window() {
  if (region) DeleteObject(region);
  if (update) DeleteObject(update);
}

void Unlink(State& state, const Window& window) {
  auto drop = [&](std::vector<HWND>& list) {
    list.erase(std::remove(list.begin(), list.end(), window.handle), list.end());
  };
  if (auto parent = state.windows.find(window.parent); parent != state.windows.end()) {
    drop(parent->second->children);
  }
  drop(state.topLevels);
  for (auto& [handle, other] : state.windows) {
    if (other->owner == window.handle) other->owner = nullptr;
  }
}

namespace {

// Windows of a thread that ends go with it. Their procedures are not called:
// the thread that would run them is gone.
// Returns the records, to be released once the lock is given up.
std::vector<std::shared_ptr<Window>> ForgetThreadWindows(State& state, DWORD threadId) {
  std::vector<std::shared_ptr<Window>> gone;
  for (auto it = state.windows.begin(); it != state.windows.end();) {
    Window& window = *it->second;
    if (window.threadId != threadId) {
      ++it;
      continue;
    }
    --window.windowClass->windowCount;
    Unlink(state, window);
    gone.push_back(it->second);
    it = state.windows.erase(it);
  }
  return gone;
}

// Owns the calling thread's queue and closes it when the thread ends, so that
// threads still sending to it return instead of waiting forever.
struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;

  ~QueueHolder() {
    if (!queue) return;
    State& state = State::Get();
    std::vector<std::shared_ptr<Window>> gone;
    {
      std::lock_guard<std::mutex> lock(state.mutex);
      state.queues.erase(queue->ThreadId());
      gone = ForgetThreadWindows(state, queue->ThreadId());
    }
    queue->Close();
  }
};

thread_local QueueHolder currentQueue;

}  // namespace

State& State::Get() {
  // Never destroyed: threads may still use it while the process exits.
  static State* const state = new State();
  return *state;
}

std::u16string FoldCase(std::u16string_view name) {
  std::u16string folded(name);
  for (auto& c : folded) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return folded;
}

bool IsAtomName(LPCWSTR name) {
  return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0;
}

std::shared_ptr<Window> FindRecord(HWND hwnd) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  const auto found = state.windows.find(hwnd);
  return found == state.windows.end() ? nullptr : found->second;
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!currentQueue.queue) {
    auto queue = std::make_shared<ThreadQueue>(GetCurrentThreadId());
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.queues[queue->ThreadId()] = queue;
    currentQueue.queue = queue;
  }
  return currentQueue.queue;
}

std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  const auto found = state.queues.find(threadId);
  return found == state.queues.end() ? nullptr : found->second;
}

}  // namespace zv::user
