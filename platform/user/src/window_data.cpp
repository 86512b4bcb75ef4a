// Window data (GetWindowLongPtrW and friends) and window texts. The data of
// windows of other processes stays private to them: only their text, thread
// and existence can be asked for.
#include <algorithm>
#include <cstring>
#include <utility>

#include "handles.h"
#include "internal.h"
#include "remote.h"
#include "state.h"
#include "win/kernel.h"

namespace {

using namespace zv::user;

// The record of a window whose data this process may touch, or null with the
// last error set.
std::shared_ptr<Window> Accessible(HWND hwnd) {
  if (hwnd != nullptr && !IsLocalHandle(hwnd)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  auto window = FindRecord(hwnd);
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

template <typename Value>
bool ExtraBytesFit(const Window& window, int index) {
  return index >= 0 && static_cast<std::size_t>(index) + sizeof(Value) <= window.extraBytes.size();
}

template <typename Value>
Value ReadExtra(const Window& window, int index) {
  Value value;
  std::memcpy(&value, window.extraBytes.data() + index, sizeof value);
  return value;
}

template <typename Value>
Value WriteExtra(Window& window, int index, Value value) {
  const Value old = ReadExtra<Value>(window, index);
  std::memcpy(window.extraBytes.data() + index, &value, sizeof value);
  return old;
}

// A style change goes through WM_STYLECHANGING, where the window may amend
// the new style, and is announced with WM_STYLECHANGED.
LONG_PTR ChangeStyle(HWND hwnd, const std::shared_ptr<Window>& window, int index, DWORD value) {
  State& state = State::Get();
  STYLESTRUCT change{};
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    change.styleOld = index == GWL_STYLE ? window->style : window->exStyle;
  }
  change.styleNew = value;
  SendMessageW(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&change));
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    (index == GWL_STYLE ? window->style : window->exStyle) = change.styleNew;
  }
  SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&change));
  return static_cast<LONG>(change.styleOld);
}

}  // namespace

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  const auto window = Accessible(hwnd);
  if (!window) return 0;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>((window->style & WS_CHILD) ? window->parent : window->owner);
    case GWLP_ID: return window->id;
    case GWLP_USERDATA: return window->userData;
    case GWL_STYLE: return static_cast<LONG>(window->style);
    case GWL_EXSTYLE: return static_cast<LONG>(window->exStyle);
    default:
      if (ExtraBytesFit<LONG_PTR>(*window, index)) return ReadExtra<LONG_PTR>(*window, index);
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  const auto window = Accessible(hwnd);
  if (!window) return 0;
  if (index == GWL_STYLE || index == GWL_EXSTYLE) {
    return ChangeStyle(hwnd, window, index, static_cast<DWORD>(value));
  }
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  switch (index) {
    case GWLP_WNDPROC: {
      if (value == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      const auto old = reinterpret_cast<LONG_PTR>(window->proc);
      window->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    }
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(
          std::exchange(window->instance, reinterpret_cast<HINSTANCE>(value)));
    case GWLP_HWNDPARENT: {
      // Only a top-level window changes its owner this way; a child window
      // keeps its parent.
      const auto owner = reinterpret_cast<HWND>(value);
      if ((window->style & WS_CHILD) || (owner && !state.windows.count(owner)) || owner == hwnd) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      return reinterpret_cast<LONG_PTR>(std::exchange(window->owner, owner));
    }
    case GWLP_ID: return std::exchange(window->id, value);
    case GWLP_USERDATA: return std::exchange(window->userData, value);
    default:
      if (ExtraBytesFit<LONG_PTR>(*window, index)) return WriteExtra(*window, index, value);
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

namespace {

// The pointer-sized values cannot pass through the 32-bit forms, as on 64-bit
// Windows.
bool IsPointerIndex(int index) {
  return index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT;
}

}  // namespace

LONG GetWindowLongW(HWND hwnd, int index) {
  if (IsPointerIndex(index)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  if (index >= 0) {
    const auto window = Accessible(hwnd);
    if (!window) return 0;
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (ExtraBytesFit<LONG>(*window, index)) return ReadExtra<LONG>(*window, index);
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<LONG>(GetWindowLongPtrW(hwnd, index));
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  if (IsPointerIndex(index)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  if (index >= 0) {
    const auto window = Accessible(hwnd);
    if (!window) return 0;
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (ExtraBytesFit<LONG>(*window, index)) return WriteExtra(*window, index, value);
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  // Style words are 32 bits wide: keep them unsigned on their way.
  if (index == GWL_STYLE || index == GWL_EXSTYLE) {
    return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, static_cast<DWORD>(value)));
  }
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

int GetWindowTextW(HWND hwnd, LPWSTR text, int maxCount) {
  if (text == nullptr || maxCount <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  text[0] = 0;
  if (hwnd != nullptr && !IsLocalHandle(hwnd)) {
    remote::WindowFacts facts;
    if (!remote::Query(hwnd, &facts)) return 0;
    const std::size_t count =
        std::min<std::size_t>(facts.text.size(), static_cast<std::size_t>(maxCount) - 1);
    std::copy_n(facts.text.data(), count, text);
    text[count] = 0;
    return static_cast<int>(count);
  }
  if (!FindRecord(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                       reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (hwnd != nullptr && !IsLocalHandle(hwnd)) {
    remote::WindowFacts facts;
    return remote::Query(hwnd, &facts) ? static_cast<int>(facts.text.size()) : 0;
  }
  if (!FindRecord(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!Accessible(hwnd)) return FALSE;
  return static_cast<BOOL>(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}
