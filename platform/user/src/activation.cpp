// Activation, keyboard focus, capture and enabling.
#include "activation.h"

#include <algorithm>

#include "geometry.h"
#include "input_state.h"
#include "state.h"
#include "win/kernel.h"

namespace zv::user {

ThreadInput& CurrentInput() {
  thread_local ThreadInput input;
  return input;
}

namespace {

bool IsOwnWindow(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  return window && window->threadId == GetCurrentThreadId();
}

bool Within(HWND hwnd, HWND ancestor) {
  return hwnd && (hwnd == ancestor || IsChild(ancestor, hwnd));
}

// The windows owned by `owner`, directly or through others, topmost first.
std::vector<HWND> OwnedChain(State& state, HWND owner) {
  std::vector<HWND> chain;
  for (HWND hwnd : state.topLevels) {
    for (HWND at = state.windows.at(hwnd)->owner; at; ) {
      if (at == owner) {
        chain.push_back(hwnd);
        break;
      }
      const auto next = state.windows.find(at);
      at = next == state.windows.end() ? nullptr : next->second->owner;
    }
  }
  return chain;
}

bool CanTakeActivation(HWND hwnd) {
  return IsOwnWindow(hwnd) && !HasStyle(hwnd, WS_CHILD) && IsShown(hwnd) &&
         !HasStyle(hwnd, WS_DISABLED) && !HasStyle(hwnd, WS_MINIMIZE);
}

}  // namespace

void BringToTop(HWND top) {
  std::vector<HWND> raised;
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto& order = state.topLevels;
    if (std::find(order.begin(), order.end(), top) == order.end()) return;
    // Owned windows stay above their owner.
    std::vector<HWND> moved = OwnedChain(state, top);
    moved.push_back(top);
    order.erase(std::remove_if(order.begin(), order.end(),
                               [&](HWND h) { return std::count(moved.begin(), moved.end(), h) > 0; }),
                order.end());
    order.insert(order.begin(), moved.begin(), moved.end());
    raised.assign(moved.rbegin(), moved.rend());
  }
  for (HWND hwnd : raised) {
    if (DisplayWindow* part = GetDisplayWindow(hwnd); part && IsShown(hwnd)) part->Raise();
  }
}

void Activate(HWND top, WORD how) {
  ThreadInput& input = CurrentInput();
  if (top) BringToTop(top);
  if (input.active == top) return;
  const HWND old = input.active;
  if (old && IsWindow(old)) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old)),
                 reinterpret_cast<LPARAM>(top));
  }
  input.active = top;
  if (top) {
    if (DisplayWindow* part = GetDisplayWindow(top)) part->Show(true, true);
    SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(top, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(top)), reinterpret_cast<LPARAM>(old));
  }
  // The keyboard focus never stays in a window that is not active.
  if (input.focus && !Within(input.focus, top)) SetFocus(nullptr);
}

void ActivateInsteadOf(HWND leaving) {
  HWND next = GetWindow(leaving, GW_OWNER);
  if (!CanTakeActivation(next)) {
    next = nullptr;
    for (HWND hwnd : TopLevelsInOrder()) {
      if (hwnd != leaving && CanTakeActivation(hwnd)) {
        next = hwnd;
        break;
      }
    }
  }
  Activate(next, WA_ACTIVE);
}

void ForgetInputOf(HWND hwnd) {
  ThreadInput& input = CurrentInput();
  if (input.active == hwnd) ActivateInsteadOf(hwnd);
  if (input.active == hwnd) input.active = nullptr;
  if (Within(input.focus, hwnd)) SetFocus(nullptr);
  if (input.capture == hwnd) ReleaseCapture();
  ForgetTrackingOf(hwnd);
}

}  // namespace zv::user

using zv::user::CurrentInput;

HWND SetFocus(HWND hwnd) {
  zv::user::ThreadInput& input = CurrentInput();
  const HWND before = input.focus;
  if (hwnd == nullptr) {
    input.focus = nullptr;
    if (before && IsWindow(before)) SendMessageW(before, WM_KILLFOCUS, 0, 0);
    return before;
  }
  if (!zv::user::IsOwnWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const HWND top = zv::user::TopLevelOf(hwnd);
  if (input.active != top) zv::user::Activate(top, WA_ACTIVE);
  const HWND old = input.focus;
  if (old == hwnd) return before;
  input.focus = hwnd;
  if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (input.focus == hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return before;
}

HWND GetFocus() { return CurrentInput().focus; }

HWND SetActiveWindow(HWND hwnd) {
  const HWND old = CurrentInput().active;
  const HWND top = zv::user::TopLevelOf(hwnd);
  if (!top || !zv::user::IsOwnWindow(top)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  zv::user::Activate(top, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() { return CurrentInput().active; }

BOOL SetForegroundWindow(HWND hwnd) {
  SetActiveWindow(hwnd);
  return hwnd && GetActiveWindow() == zv::user::TopLevelOf(hwnd) ? TRUE : FALSE;
}

HWND GetForegroundWindow() { return CurrentInput().active; }

HWND SetCapture(HWND hwnd) {
  zv::user::ThreadInput& input = CurrentInput();
  const HWND old = input.capture;
  if (!zv::user::IsOwnWindow(hwnd)) return old;
  input.capture = hwnd;
  if (old && old != hwnd && IsWindow(old)) {
    SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  }
  return old;
}

BOOL ReleaseCapture() {
  zv::user::ThreadInput& input = CurrentInput();
  const HWND old = input.capture;
  input.capture = nullptr;
  if (old && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return CurrentInput().capture; }

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  const auto window = zv::user::FindRecord(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool wasDisabled;
  {
    zv::user::State& state = zv::user::State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    wasDisabled = (window->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
    window->style = enable ? (window->style & ~WS_DISABLED) : (window->style | WS_DISABLED);
  }
  if (!enable) {
    // A disabled window takes no input: it gives up the focus and capture.
    zv::user::ThreadInput& input = CurrentInput();
    if (zv::user::Within(input.focus, hwnd)) SetFocus(nullptr);
    if (zv::user::Within(input.capture, hwnd)) ReleaseCapture();
  }
  SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  return zv::user::FindRecord(hwnd) && !zv::user::HasStyle(hwnd, WS_DISABLED) ? TRUE : FALSE;
}
