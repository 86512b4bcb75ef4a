// Invalid areas, WM_PAINT, BeginPaint and the window device contexts.
#include "paint.h"

#include "geometry.h"
#include "state.h"
#include "surface.h"
#include "win/kernel.h"
#include "zv/gdi_surface.h"

namespace {

using namespace zv::user;

RECT ClientRect(HWND hwnd) {
  const RECT rect = RectOf(hwnd);
  return RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
}

void Wake(const Window& window) {
  if (const auto queue = QueueOf(window.threadId)) queue->Wake();
}

// Adds (or, with `add` false, takes away) a client rectangle to the window's
// invalid area; null means the whole client area.
bool ChangeUpdate(HWND hwnd, const RECT* rect, bool add, bool erase) {
  const auto window = FindRecord(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  const RECT client = ClientRect(hwnd);
  HRGN change = CreateRectRgnIndirect(rect ? rect : &client);
  HRGN bounds = CreateRectRgnIndirect(&client);
  CombineRgn(change, change, bounds, RGN_AND);
  DeleteObject(bounds);
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (add) {
      if (!window->update) window->update = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(window->update, window->update, change, RGN_OR);
      window->eraseNeeded = window->eraseNeeded || erase;
    } else if (window->update) {
      if (CombineRgn(window->update, window->update, change, RGN_DIFF) == NULLREGION) {
        DeleteObject(window->update);
        window->update = nullptr;
        window->eraseNeeded = false;
      }
    }
  }
  DeleteObject(change);
  if (add) Wake(*window);
  return true;
}

bool HasUpdate(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) return false;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  RECT box;
  return window->update && GetRgnBox(window->update, &box) != NULLREGION;
}

// Depth first: a window is painted before its children, as on Windows.
bool FindPaintable(HWND hwnd, const MessageFilter& filter, HWND* found) {
  const auto window = FindRecord(hwnd);
  if (!window || window->threadId != GetCurrentThreadId() || !IsShown(hwnd)) return false;
  if (HasUpdate(hwnd) && filter.Matches(hwnd, WM_PAINT)) {
    *found = hwnd;
    return true;
  }
  std::vector<HWND> children;
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    children = window->children;
  }
  for (HWND child : children) {
    if (FindPaintable(child, filter, found)) return true;
  }
  return false;
}

}  // namespace

namespace zv::user {

bool NextWindowPaint(const MessageFilter& filter, MSG* msg) {
  HWND found = nullptr;
  for (HWND top : TopLevelsInOrder()) {
    if (FindPaintable(top, filter, &found)) {
      *msg = MSG{found, WM_PAINT, 0, 0, GetTickCount(), POINT{0, 0}};
      return true;
    }
  }
  return false;
}

void InvalidateWhole(HWND hwnd) { ChangeUpdate(hwnd, nullptr, true, true); }

}  // namespace zv::user

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (hwnd == nullptr) {
    // The whole screen: every window of this process.
    for (HWND top : TopLevelsInOrder()) ChangeUpdate(top, nullptr, true, erase);
    return TRUE;
  }
  return ChangeUpdate(hwnd, rect, true, erase != FALSE) ? TRUE : FALSE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  return ChangeUpdate(hwnd, rect, false, false) ? TRUE : FALSE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  const auto window = FindRecord(hwnd);
  if (!window) return FALSE;
  RECT box{0, 0, 0, 0};
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (window->update && GetRgnBox(window->update, &box) == NULLREGION) box = RECT{0, 0, 0, 0};
  }
  if (rect) *rect = box;
  return box.right > box.left && box.bottom > box.top ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  if (!FindRecord(hwnd)) return FALSE;
  if (IsShown(hwnd) && HasUpdate(hwnd)) SendMessageW(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  const auto window = FindRecord(hwnd);
  if (!window || paint == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HRGN update = nullptr;
  bool erase = false;
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    update = window->update;
    erase = window->eraseNeeded;
    window->update = nullptr;
    window->eraseNeeded = false;
  }
  if (!update) update = CreateRectRgn(0, 0, 0, 0);
  *paint = PAINTSTRUCT{};
  GetRgnBox(update, &paint->rcPaint);
  paint->hdc = NewWindowDC(hwnd, update);
  DeleteObject(update);
  // The window erases its own background; fErase tells it whether that is
  // still to be done.
  paint->fErase = erase && paint->hdc
                      ? SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0
                      : FALSE;
  return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  ReleaseWindowDC(paint->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (hwnd == nullptr) {
    // The screen stands in as a small surface of its own: enough to make
    // compatible DCs and bitmaps and to measure text.
    static zv::user::Surface screen{1, 1, std::vector<std::uint32_t>(1, 0)};
    return zv::CreateSurfaceDC(screen.pixels.data(), 1, 1, 4);
  }
  return NewWindowDC(hwnd, nullptr);
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  if (ReleaseWindowDC(hdc)) return 1;
  if (hwnd == nullptr && hdc) {
    zv::DestroySurfaceDC(hdc);
    return 1;
  }
  return 0;
}
