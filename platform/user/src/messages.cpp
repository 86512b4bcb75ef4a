// Posting, sending, retrieving and dispatching messages.
#include <optional>

#include "handles.h"
#include "input.h"
#include "internal.h"
#include "paint.h"
#include "remote.h"
#include "state.h"
#include "win/kernel.h"

namespace {

using namespace zv::user;

// Sends to a window of another thread of this process and waits for the
// answer. While it waits, it handles what other threads send to this thread,
// so two threads that send to each other do not lock up.
bool SendAcrossThreads(const Window& window, UINT message, WPARAM wParam, LPARAM lParam,
                       std::optional<Clock::time_point> deadline, LRESULT* result) {
  const auto target = QueueOf(window.threadId);
  const auto own = CurrentQueue();
  auto sent = std::make_shared<SentMessage>();
  sent->hwnd = window.handle;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = own;
  if (!target || !target->Send(sent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  while (!sent->done.load(std::memory_order_acquire)) {
    if (HandleIncomingSends(*own)) continue;
    std::optional<Clock::duration> timeout;
    if (deadline) {
      const auto now = Clock::now();
      if (now >= *deadline) {
        SetLastError(ERROR_TIMEOUT);
        return false;
      }
      timeout = *deadline - now;
    }
    own->Wait(timeout, -1, -1);
  }
  *result = sent->result;
  return true;
}

// Sends to any window of this or another process. False on failure, with
// the last error set.
bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
          std::optional<Clock::time_point> deadline, LRESULT* result) {
  *result = 0;
  if (hwnd != nullptr && !IsLocalHandle(hwnd)) {
    return remote::Send(hwnd, message, wParam, lParam, deadline, result);
  }
  return SendToLocalWindow(hwnd, message, wParam, lParam, deadline, result);
}

}  // namespace

namespace zv::user {

bool SendToLocalWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                       std::optional<Clock::time_point> deadline, LRESULT* result) {
  *result = 0;
  const auto window = FindRecord(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (window->threadId == GetCurrentThreadId()) {
    *result = CallWindowProcedure(hwnd, message, wParam, lParam);
    return true;
  }
  return SendAcrossThreads(*window, message, wParam, lParam, deadline, result);
}

}  // namespace zv::user

namespace {

bool IsFilterValid(HWND hwnd) {
  if (hwnd == nullptr || hwnd == reinterpret_cast<HWND>(-1)) return true;
  const auto window = FindRecord(hwnd);
  return window && window->threadId == GetCurrentThreadId();
}

// One look at the calling thread's queue, in the order of Windows: sent
// messages are handled first, then come posted messages, then input, then
// the quit request, then painting, then timers.
bool LookOnce(ThreadQueue& queue, const MessageFilter& filter, bool remove, MSG* msg) {
  HandleIncomingSends(queue);
  Display* display = AttachedDisplay();
  if (display) display->PumpEvents();
  if (queue.TakePosted(filter, remove, msg)) return true;
  if (NextInput(filter, remove, msg)) return true;
  int exitCode = 0;
  // The quit request ignores the filters, as on Windows.
  if (queue.TakeQuit(remove, &exitCode)) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, GetTickCount(), POINT{0, 0}};
    return true;
  }
  if (display && display->NextPaint(filter, remove, msg)) return true;
  if (NextWindowPaint(filter, msg)) return true;
  return queue.TakeDueTimer(filter, remove, msg);
}

void WaitForMore(ThreadQueue& queue) {
  Display* display = AttachedDisplay();
  if (display && display->HasPendingEvents()) return;
  queue.Wait(queue.UntilNextTimer(), -1, display ? display->EventFd() : -1);
}

bool CharacterForKey(WPARAM key, LPARAM keyData, WCHAR* character) {
  if (Display* display = AttachedDisplay()) return display->CharacterForKey(key, keyData, character);
  return LayoutCharacter(key, character);
}

}  // namespace

namespace zv::user {

LRESULT CallWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = nullptr;
  {
    const auto window = FindRecord(hwnd);
    if (!window) return 0;
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    proc = window->proc;
  }
  return proc(hwnd, message, wParam, lParam);
}

bool HandleIncomingSends(ThreadQueue& queue) {
  bool handled = false;
  while (const auto sent = queue.TakeSent()) {
    handled = true;
    const auto window = FindRecord(sent->hwnd);
    // A window destroyed while the message waited answers 0.
    const bool here = window && window->threadId == queue.ThreadId();
    sent->Complete(here ? CallWindowProcedure(sent->hwnd, sent->message, sent->wParam,
                                              sent->lParam)
                        : 0);
  }
  return handled;
}

}  // namespace zv::user

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  Send(hwnd, msg, wParam, lParam, std::nullopt, &result);
  return result;
}

// Whether a receiver is hung is not tracked: SMTO_ABORTIFHUNG and the other
// flags change nothing, and the timeout alone ends the wait.
LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeoutMs, PDWORD_PTR result) {
  LRESULT answer = 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const bool ok = Send(hwnd, msg, wParam, lParam, deadline, &answer);
  if (result) *result = ok ? static_cast<DWORD_PTR>(answer) : 0;
  return ok ? TRUE : FALSE;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // As on Windows, a null window posts to the calling thread itself.
  if (hwnd == nullptr) return PostThreadMessageW(GetCurrentThreadId(), msg, wParam, lParam);
  if (!IsLocalHandle(hwnd)) return zv::user::remote::Post(hwnd, msg, wParam, lParam);
  const auto window = FindRecord(hwnd);
  const auto queue = window ? QueueOf(window->threadId) : nullptr;
  if (!queue) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const DWORD error = queue->Post(MSG{hwnd, msg, wParam, lParam, GetTickCount(), POINT{0, 0}});
  if (error == ERROR_INVALID_THREAD_ID) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto queue =
      threadId == GetCurrentThreadId() ? CurrentQueue() : zv::user::QueueOf(threadId);
  const DWORD error = queue ? queue->Post(MSG{nullptr, msg, wParam, lParam, GetTickCount(),
                                              POINT{0, 0}})
                            : ERROR_INVALID_THREAD_ID;
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

void PostQuitMessage(int exitCode) { CurrentQueue()->PostQuit(exitCode); }

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (!IsFilterValid(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  const auto queue = CurrentQueue();
  const MessageFilter filter{hwnd, filterMin, filterMax};
  while (!LookOnce(*queue, filter, true, msg)) WaitForMore(*queue);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!IsFilterValid(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const MessageFilter filter{hwnd, filterMin, filterMax};
  return LookOnce(*CurrentQueue(), filter, (removeFlags & PM_REMOVE) != 0, msg) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  const auto queue = CurrentQueue();
  MSG msg;
  while (!LookOnce(*queue, MessageFilter{}, false, &msg)) WaitForMore(*queue);
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  const bool system = msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSKEYUP;
  const bool down = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
  if (!down && msg->message != WM_KEYUP && msg->message != WM_SYSKEYUP) return FALSE;
  WCHAR character = 0;
  if (down && CharacterForKey(msg->wParam, msg->lParam, &character)) {
    PostMessageW(msg->hwnd, system ? WM_SYSCHAR : WM_CHAR, character, msg->lParam);
  }
  // Key messages count as translated whether they give a character or not.
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    const auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    // Only a procedure that this thread set for this very timer is called; a
    // WM_TIMER posted with any other lParam would otherwise jump anywhere.
    if (CurrentQueue()->IsTimerProc(msg->hwnd, msg->wParam, proc)) {
      proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    }
    return 0;
  }
  if (msg->hwnd == nullptr) return 0;
  const auto window = FindRecord(msg->hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (window->threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
    return 0;
  }
  return CallWindowProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
