// Monitors, the work area, system metrics and system colours.
#include <algorithm>
#include <vector>

#include "display.h"
#include "geometry.h"
#include "win/kernel.h"

namespace {

using zv::user::MonitorArea;

// Without a display the layer pretends one 1920 x 1080 monitor whose work
// area is all of it, so that centring and maximising still give sensible
// rectangles.
std::vector<MonitorArea> Monitors() {
  std::vector<MonitorArea> monitors;
  if (zv::user::Display* display = zv::user::EnsureDisplay()) monitors = display->Monitors();
  if (monitors.empty()) monitors.push_back(MonitorArea{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}});
  return monitors;
}

HMONITOR HandleOf(std::size_t index) { return reinterpret_cast<HMONITOR>(index + 1); }

long DistanceSquared(const RECT& rect, POINT point) {
  const long dx = point.x < rect.left ? rect.left - point.x : (point.x >= rect.right ? point.x - rect.right + 1 : 0);
  const long dy = point.y < rect.top ? rect.top - point.y : (point.y >= rect.bottom ? point.y - rect.bottom + 1 : 0);
  return dx * dx + dy * dy;
}

HMONITOR Nearest(const std::vector<MonitorArea>& monitors, POINT point, DWORD flags) {
  std::size_t best = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (DistanceSquared(monitors[i].bounds, point) == 0) return HandleOf(i);
    if (DistanceSquared(monitors[i].bounds, point) < DistanceSquared(monitors[best].bounds, point)) best = i;
  }
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  return HandleOf(flags == MONITOR_DEFAULTTOPRIMARY ? 0 : best);
}

long Overlap(const RECT& a, const RECT& b) {
  const long w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

HMONITOR MonitorFromPoint(POINT point, DWORD flags) { return Nearest(Monitors(), point, flags); }

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT rect;
  if (!GetWindowRect(hwnd, &rect)) return flags == MONITOR_DEFAULTTONULL ? nullptr : HandleOf(0);
  // The monitor that shows most of the window; the nearest to its centre
  // when none shows any of it.
  const auto monitors = Monitors();
  std::size_t best = 0;
  long bestOverlap = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const long overlap = Overlap(monitors[i].bounds, rect);
    if (overlap > bestOverlap) {
      best = i;
      bestOverlap = overlap;
    }
  }
  if (bestOverlap > 0) return HandleOf(best);
  return Nearest(monitors, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
  const auto monitors = Monitors();
  const auto index = reinterpret_cast<ULONG_PTR>(monitor);
  if (info == nullptr || info->cbSize < sizeof(MONITORINFO) || index == 0 || index > monitors.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->rcMonitor = monitors[index - 1].bounds;
  info->rcWork = monitors[index - 1].work;
  info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

BOOL SystemParametersInfoW(UINT action, UINT, PVOID param, UINT) {
  if (param == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  switch (action) {
    case SPI_GETWORKAREA:
      *static_cast<RECT*>(param) = Monitors().front().work;
      return TRUE;
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
      *static_cast<UINT*>(param) = 4;
      return TRUE;
    case SPI_GETMOUSEHOVERTIME:
      *static_cast<UINT*>(param) = 400;
      return TRUE;
    case SPI_GETWHEELSCROLLLINES:
      *static_cast<UINT*>(param) = 3;
      return TRUE;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

// Windows' values at 96 dots per inch for the sizes; the screen's from the
// display.
int GetSystemMetrics(int index) {
  const auto monitors = Monitors();
  const RECT& primary = monitors.front().bounds;
  const RECT& work = monitors.front().work;
  RECT virtualScreen = primary;
  for (const MonitorArea& monitor : monitors) {
    virtualScreen.left = std::min(virtualScreen.left, monitor.bounds.left);
    virtualScreen.top = std::min(virtualScreen.top, monitor.bounds.top);
    virtualScreen.right = std::max(virtualScreen.right, monitor.bounds.right);
    virtualScreen.bottom = std::max(virtualScreen.bottom, monitor.bounds.bottom);
  }
  switch (index) {
    case SM_CXSCREEN: return primary.right - primary.left;
    case SM_CYSCREEN: return primary.bottom - primary.top;
    case SM_CXFULLSCREEN: return work.right - work.left;
    case SM_CYFULLSCREEN: return work.bottom - work.top - 23;
    case SM_CXMAXIMIZED: return work.right - work.left + 16;
    case SM_CYMAXIMIZED: return work.bottom - work.top + 16;
    case SM_XVIRTUALSCREEN: return virtualScreen.left;
    case SM_YVIRTUALSCREEN: return virtualScreen.top;
    case SM_CXVIRTUALSCREEN: return virtualScreen.right - virtualScreen.left;
    case SM_CYVIRTUALSCREEN: return virtualScreen.bottom - virtualScreen.top;
    case SM_CMONITORS: return static_cast<int>(monitors.size());
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXMIN: return 136;
    case SM_CYMIN: return 39;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    default: return 0;
  }
}

// The classic Windows colour scheme.
DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_SCROLLBAR: return RGB(200, 200, 200);
    case COLOR_BACKGROUND: return RGB(0, 0, 0);
    case COLOR_ACTIVECAPTION: return RGB(153, 180, 209);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME: return RGB(100, 100, 100);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_3DDKSHADOW: return RGB(105, 105, 105);
    case COLOR_3DLIGHT: return RGB(227, 227, 227);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    default: return 0;
  }
}
