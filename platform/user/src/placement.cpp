// Showing, hiding, moving and sizing windows; their rectangles and regions.
#include <algorithm>

#include "activation.h"
#include "geometry.h"
#include "paint.h"
#include "state.h"
#include "surface.h"
#include "win/kernel.h"

namespace {

using namespace zv::user;

DWORD StyleOf(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) return 0;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return window->style;
}

void SetStyleBits(HWND hwnd, DWORD bits, bool on) {
  const auto window = FindRecord(hwnd);
  if (!window) return;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  window->style = on ? (window->style | bits) : (window->style & ~bits);
}

DisplayWindow* PartOf(HWND hwnd) { return GetDisplayWindow(hwnd); }

// A top-level window gets its on-screen part when it is first shown.
DisplayWindow* EnsurePart(HWND hwnd) {
  if (HasStyle(hwnd, WS_CHILD)) return nullptr;
  if (DisplayWindow* part = PartOf(hwnd)) return part;
  Display* display = EnsureDisplay();
  if (!display) return nullptr;
  auto part = display->NewWindow(hwnd, GetWindow(hwnd, GW_OWNER));
  if (!part) return nullptr;
  DisplayWindow* raw = part.get();
  SetDisplayWindow(hwnd, std::move(part));
  const POINT origin = ScreenOrigin(hwnd);
  const RECT rect = RectOf(hwnd);
  raw->Place(RECT{origin.x, origin.y, origin.x + rect.right - rect.left,
                  origin.y + rect.bottom - rect.top});
  return raw;
}

void PlaceOnScreen(HWND hwnd) {
  DisplayWindow* part = PartOf(hwnd);
  if (!part) return;
  const POINT origin = ScreenOrigin(hwnd);
  const RECT rect = RectOf(hwnd);
  part->Place(RECT{origin.x, origin.y, origin.x + rect.right - rect.left,
                   origin.y + rect.bottom - rect.top});
}

void StoreRect(HWND hwnd, const RECT& rect) {
  const auto window = FindRecord(hwnd);
  if (!window) return;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  window->rect = rect;
}

void ChangeVisibility(HWND hwnd, bool show) {
  SendMessageW(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  SetStyleBits(hwnd, WS_VISIBLE, show);
  if (show) {
    if (EnsurePart(hwnd)) PlaceOnScreen(hwnd);
    ResizeSurface(hwnd);
    InvalidateWhole(hwnd);
  }
  if (DisplayWindow* part = PartOf(hwnd)) part->Show(show, false);
}

bool IsActive(HWND hwnd) { return GetActiveWindow() == hwnd; }

// Minimised and maximised windows go back to where they were.
bool Restore(HWND hwnd) {
  const DWORD style = StyleOf(hwnd);
  if ((style & (WS_MINIMIZE | WS_MAXIMIZE)) == 0) return false;
  const auto window = FindRecord(hwnd);
  RECT back;
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    back = window->restoreRect;
    window->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
  }
  SetWindowPos(hwnd, nullptr, back.left, back.top, back.right - back.left, back.bottom - back.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (style & WS_MINIMIZE) {
    if (DisplayWindow* part = PartOf(hwnd)) part->Show(true, false);
    const RECT rect = RectOf(hwnd);
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
  }
  return true;
}

void RememberRestoreRect(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  if ((window->style & (WS_MINIMIZE | WS_MAXIMIZE)) == 0) window->restoreRect = window->rect;
}

void Minimize(HWND hwnd) {
  if (StyleOf(hwnd) & WS_MINIMIZE) return;
  RememberRestoreRect(hwnd);
  SetStyleBits(hwnd, WS_MAXIMIZE, false);
  SetStyleBits(hwnd, WS_MINIMIZE, true);
  if (DisplayWindow* part = PartOf(hwnd)) part->Minimize();
  SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
  if (IsActive(hwnd)) ActivateInsteadOf(hwnd);
}

void Maximize(HWND hwnd) {
  MONITORINFO monitor{sizeof monitor, {}, {}, 0};
  GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  // The window may narrow what maximising gives it.
  MINMAXINFO info{};
  info.ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
  info.ptMaxPosition = POINT{0, 0};
  info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)};
  info.ptMaxTrackSize = info.ptMaxSize;
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  RememberRestoreRect(hwnd);
  SetStyleBits(hwnd, WS_MINIMIZE, false);
  SetStyleBits(hwnd, WS_MAXIMIZE, true);
  if (DisplayWindow* part = PartOf(hwnd)) part->Show(true, false);
  SetWindowPos(hwnd, nullptr, work.left + info.ptMaxPosition.x, work.top + info.ptMaxPosition.y,
               info.ptMaxSize.x, info.ptMaxSize.y, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int command) {
  if (!FindRecord(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const bool wasVisible = HasStyle(hwnd, WS_VISIBLE);
  const bool topLevel = !HasStyle(hwnd, WS_CHILD);
  switch (command) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      ChangeVisibility(hwnd, false);
      if (IsActive(hwnd)) ActivateInsteadOf(hwnd);
      if (GetFocus() && (GetFocus() == hwnd || IsChild(hwnd, GetFocus()))) SetFocus(nullptr);
      return TRUE;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      if (!wasVisible) ChangeVisibility(hwnd, true);
      Minimize(hwnd);
      return wasVisible ? TRUE : FALSE;
    case SW_MAXIMIZE:
      if (!wasVisible) ChangeVisibility(hwnd, true);
      Maximize(hwnd);
      if (topLevel) Activate(hwnd, WA_ACTIVE);
      return wasVisible ? TRUE : FALSE;
    default:
      break;
  }
  // SW_SHOWNORMAL, SW_RESTORE, SW_SHOW, SW_SHOWNOACTIVATE, SW_SHOWNA and the
  // rest show the window; the first two also bring it back from minimised
  // or maximised.
  if (!wasVisible) ChangeVisibility(hwnd, true);
  if (command == SW_SHOWNORMAL || command == SW_RESTORE || command == SW_SHOWDEFAULT) Restore(hwnd);
  const bool activate = command != SW_SHOWNOACTIVATE && command != SW_SHOWNA;
  if (topLevel && activate) {
    Activate(hwnd, WA_ACTIVE);
  } else if (topLevel && !wasVisible) {
    BringToTop(hwnd);
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  const auto window = FindRecord(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const RECT old = RectOf(hwnd);
  WINDOWPOS pos{hwnd, insertAfter, x, y, width, height, flags};
  if (flags & SWP_NOMOVE) {
    pos.x = old.left;
    pos.y = old.top;
  }
  if (flags & SWP_NOSIZE) {
    pos.cx = old.right - old.left;
    pos.cy = old.bottom - old.top;
  }
  if ((flags & SWP_NOSENDCHANGING) == 0) {
    SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  }
  if (!FindRecord(hwnd)) return FALSE;
  pos.cx = std::max(pos.cx, 0);
  pos.cy = std::max(pos.cy, 0);
  const RECT now{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  const bool moved = now.left != old.left || now.top != old.top;
  const bool sized = (now.right - now.left) != (old.right - old.left) ||
                     (now.bottom - now.top) != (old.bottom - old.top);
  StoreRect(hwnd, now);
  if (flags & SWP_FRAMECHANGED) {
    NCCALCSIZE_PARAMS params{{now, old, old}, &pos};
    SendMessageW(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
  }
  if (sized) {
    ResizeSurface(hwnd);
    if ((flags & SWP_NOREDRAW) == 0) InvalidateWhole(hwnd);
  }
  if (moved || sized) PlaceOnScreen(hwnd);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  const bool topLevel = !HasStyle(hwnd, WS_CHILD);
  if (topLevel && (flags & SWP_NOACTIVATE) == 0 && HasStyle(hwnd, WS_VISIBLE)) {
    Activate(hwnd, WA_ACTIVE);
  } else if (topLevel && (flags & SWP_NOZORDER) == 0 && (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST)) {
    BringToTop(hwnd);
  }
  pos.flags = flags | (moved ? 0 : SWP_NOMOVE) | (sized ? 0 : SWP_NOSIZE);
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  if (!FindRecord(hwnd) || rect == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const RECT own = RectOf(hwnd);
  const POINT origin = ScreenOrigin(hwnd);
  *rect = RECT{origin.x, origin.y, origin.x + own.right - own.left, origin.y + own.bottom - own.top};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  if (!FindRecord(hwnd) || rect == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const RECT own = RectOf(hwnd);
  *rect = RECT{0, 0, own.right - own.left, own.bottom - own.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  if (!FindRecord(hwnd) || point == nullptr) return FALSE;
  const POINT origin = ScreenOrigin(hwnd);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  if (!FindRecord(hwnd) || point == nullptr) return FALSE;
  const POINT origin = ScreenOrigin(hwnd);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL IsIconic(HWND hwnd) { return HasStyle(hwnd, WS_MINIMIZE) ? TRUE : FALSE; }
BOOL IsZoomed(HWND hwnd) { return HasStyle(hwnd, WS_MAXIMIZE) ? TRUE : FALSE; }
BOOL IsWindowVisible(HWND hwnd) { return IsShown(hwnd) ? TRUE : FALSE; }

BOOL IsChild(HWND parent, HWND hwnd) {
  for (HWND at = hwnd; at && HasStyle(at, WS_CHILD);) {
    at = GetParent(at);
    if (at == parent) return TRUE;
  }
  return FALSE;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  const auto window = FindRecord(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (window->region && window->region != region) DeleteObject(window->region);
    window->region = region;
  }
  if (redraw) InvalidateWhole(hwnd);
  return 1;
}

HWND WindowFromPoint(POINT point) {
  for (HWND top : TopLevelsInOrder()) {
    if (!IsShown(top) || HasStyle(top, WS_MINIMIZE)) continue;
    RECT rect;
    GetWindowRect(top, &rect);
    if (point.x < rect.left || point.x >= rect.right || point.y < rect.top || point.y >= rect.bottom) {
      continue;
    }
    const auto window = FindRecord(top);
    HRGN region = nullptr;
    {
      State& state = State::Get();
      std::lock_guard<std::mutex> lock(state.mutex);
      region = window ? window->region : nullptr;
      // Outside its region a shaped window is not there at all.
      if (region && !PtInRegion(region, point.x - rect.left, point.y - rect.top)) continue;
    }
    // The deepest shown child under the point.
    HWND found = top;
    for (bool deeper = true; deeper;) {
      deeper = false;
      for (HWND child = GetWindow(found, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT childRect;
        GetWindowRect(child, &childRect);
        if (IsShown(child) && point.x >= childRect.left && point.x < childRect.right &&
            point.y >= childRect.top && point.y < childRect.bottom) {
          found = child;
          deeper = true;
          break;
        }
      }
    }
    return found;
  }
  return nullptr;
}
