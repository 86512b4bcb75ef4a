// Cursors, carets and the (absent) input method contexts.
#include <mutex>

#include "display.h"
#include "win/kernel.h"

namespace {

// A system cursor's handle is its IDC_ number; programs only pass it back.
std::mutex cursorMutex;
HCURSOR currentCursor = nullptr;

bool IsSystemCursor(ULONG_PTR id) {
  return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651);
}

struct Caret {
  HWND hwnd = nullptr;
  int width = 0;
  int height = 0;
  POINT position{0, 0};
  int hideCount = 1;  // a new caret starts hidden
};

Caret& CurrentCaret() {
  thread_local Caret caret;
  return caret;
}

}  // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  const auto id = reinterpret_cast<ULONG_PTR>(name);
  if (instance != nullptr || !IsSystemCursor(id)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HCURSOR>(id);
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old;
  {
    std::lock_guard<std::mutex> lock(cursorMutex);
    old = currentCursor;
    currentCursor = cursor;
  }
  if (cursor != old) {
    if (zv::user::Display* display = zv::user::AttachedDisplay()) {
      display->ShowCursorShape(reinterpret_cast<ULONG_PTR>(cursor));
    }
  }
  return old;
}

HCURSOR GetCursor() {
  std::lock_guard<std::mutex> lock(cursorMutex);
  return currentCursor;
}

// The caret's state is kept as Windows keeps it: one per thread, hidden until
// shown as often as it was hidden. It is not drawn into the window.
BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  CurrentCaret() = Caret{hwnd, width > 0 ? width : GetSystemMetrics(SM_CXBORDER),
                         height > 0 ? height : GetSystemMetrics(SM_CYBORDER), POINT{0, 0}, 1};
  return TRUE;
}

BOOL DestroyCaret() {
  if (!CurrentCaret().hwnd) return FALSE;
  CurrentCaret() = Caret{};
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  Caret& caret = CurrentCaret();
  if (!caret.hwnd || (hwnd && hwnd != caret.hwnd) || caret.hideCount == 0) return FALSE;
  --caret.hideCount;
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  Caret& caret = CurrentCaret();
  if (!caret.hwnd || (hwnd && hwnd != caret.hwnd)) return FALSE;
  ++caret.hideCount;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  Caret& caret = CurrentCaret();
  if (!caret.hwnd) return FALSE;
  caret.position = POINT{x, y};
  return TRUE;
}

BOOL GetCaretPos(LPPOINT point) {
  if (point == nullptr || !CurrentCaret().hwnd) return FALSE;
  *point = CurrentCaret().position;
  return TRUE;
}

UINT GetCaretBlinkTime() { return 530; }

HIMC ImmGetContext(HWND) { return nullptr; }

BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }
