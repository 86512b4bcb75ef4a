#include "input.h"

#include <cstdlib>
#include <deque>
#include <mutex>

#include "activation.h"
#include "display.h"
#include "geometry.h"
#include "input_state.h"
#include "state.h"
#include "win/kernel.h"

namespace zv::user {

namespace {

// The hover timer lives among the window's timers under an id no program
// picks, with a procedure of its own so it never reaches the window.
constexpr UINT_PTR kHoverTimerId = 0xFFFF0E01;

struct PointerState {
  std::mutex mutex;
  POINT cursor{0, 0};
  BYTE keys[256] = {};
};

PointerState& Pointer() {
  static auto* const state = new PointerState();
  return *state;
}

struct LastPress {
  HWND hwnd = nullptr;
  int button = -1;
  DWORD time = 0;
  POINT at{0, 0};
};

struct Tracking {
  HWND hwnd = nullptr;
  DWORD flags = 0;
  UINT hoverTime = 400;
  POINT hoverStart{0, 0};
};

struct Drag {
  HWND hwnd = nullptr;
  POINT grab{0, 0};
};

struct ThreadInputQueue {
  std::deque<RawInput> raw;
  std::deque<MSG> cooked;
  LastPress lastPress;
  Tracking tracking;
  Drag drag;
};

ThreadInputQueue& Queue() {
  thread_local ThreadInputQueue queue;
  return queue;
}

void SetKey(UINT vk, bool down) {
  PointerState& pointer = Pointer();
  std::lock_guard<std::mutex> lock(pointer.mutex);
  BYTE& key = pointer.keys[vk & 0xFF];
  // A press flips the toggle bit, as CAPS LOCK shows it.
  if (down && (key & 0x80) == 0) key ^= 0x01;
  key = static_cast<BYTE>(down ? (key | 0x80) : (key & ~0x80));
}

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

WPARAM MouseKeys() {
  WPARAM keys = 0;
  if (KeyDown(VK_LBUTTON)) keys |= MK_LBUTTON;
  if (KeyDown(VK_RBUTTON)) keys |= MK_RBUTTON;
  if (KeyDown(VK_MBUTTON)) keys |= MK_MBUTTON;
  if (KeyDown(VK_SHIFT)) keys |= MK_SHIFT;
  if (KeyDown(VK_CONTROL)) keys |= MK_CONTROL;
  return keys;
}

LPARAM ClientParam(HWND hwnd, POINT screen) {
  ScreenToClient(hwnd, &screen);
  return MAKELPARAM(screen.x, screen.y);
}

void Emit(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const RawInput& raw) {
  Queue().cooked.push_back(MSG{hwnd, message, wParam, lParam, raw.time, raw.screen});
}

bool Disabled(HWND hwnd) {
  for (HWND at = hwnd; at; at = HasStyle(at, WS_CHILD) ? GetParent(at) : nullptr) {
    if (HasStyle(at, WS_DISABLED)) return true;
  }
  return false;
}

// The window the pointer talks to and the hit-test code. With the capture
// set, everything goes to the capture window's client area.
HWND Locate(const RawInput& raw, LRESULT* hit) {
  if (HWND capture = GetCapture()) {
    *hit = HTCLIENT;
    return capture;
  }
  HWND hwnd = WindowFromPoint(raw.screen);
  const auto window = FindRecord(hwnd);
  if (!window || window->threadId != GetCurrentThreadId() || Disabled(hwnd)) return nullptr;
  *hit = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(raw.screen.x, raw.screen.y));
  return IsWindow(hwnd) ? hwnd : nullptr;
}

void StopTracking() {
  Tracking& tracking = Queue().tracking;
  if (tracking.hwnd && (tracking.flags & TME_HOVER) && IsWindow(tracking.hwnd)) {
    KillTimer(tracking.hwnd, kHoverTimerId);
  }
  tracking = Tracking{};
}

void HoverDue(HWND hwnd, UINT, UINT_PTR, DWORD) {
  KillTimer(hwnd, kHoverTimerId);
  Tracking& tracking = Queue().tracking;
  if (tracking.hwnd != hwnd || (tracking.flags & TME_HOVER) == 0) return;
  // A hover is reported once; the window asks again for the next one.
  tracking.flags &= ~TME_HOVER;
  POINT cursor;
  GetCursorPos(&cursor);
  PostMessageW(hwnd, WM_MOUSEHOVER, MouseKeys(), ClientParam(hwnd, cursor));
  if (tracking.flags == 0) tracking = Tracking{};
}

void ArmHover(POINT at) {
  Tracking& tracking = Queue().tracking;
  tracking.hoverStart = at;
  SetTimer(tracking.hwnd, kHoverTimerId, tracking.hoverTime, &HoverDue);
}

// Leaving the tracked client area ends the tracking with WM_MOUSELEAVE;
// moving further than the hover rectangle starts the hover time again.
void FollowTracking(HWND hwnd, LRESULT hit, const RawInput& raw) {
  Tracking& tracking = Queue().tracking;
  if (!tracking.hwnd) return;
  if (hwnd != tracking.hwnd || hit != HTCLIENT) {
    const HWND left = tracking.hwnd;
    const bool leave = (tracking.flags & TME_LEAVE) != 0;
    StopTracking();
    if (leave) Emit(left, WM_MOUSELEAVE, 0, 0, raw);
    return;
  }
  if ((tracking.flags & TME_HOVER) &&
      (std::abs(raw.screen.x - tracking.hoverStart.x) > GetSystemMetrics(SM_CXDOUBLECLK) / 2 ||
       std::abs(raw.screen.y - tracking.hoverStart.y) > GetSystemMetrics(SM_CYDOUBLECLK) / 2)) {
    ArmHover(raw.screen);
  }
}

void FollowDrag(const RawInput& raw) {
  Drag& drag = Queue().drag;
  if (raw.kind == RawKind::Move && IsWindow(drag.hwnd)) {
    // Pointer events are reported relative to the window that is moving
    // under them; where the display can say where the pointer is now, that
    // is what the window follows.
    POINT at = raw.screen;
    if (Display* display = AttachedDisplay()) display->PointerPosition(&at);
    SetWindowPos(drag.hwnd, nullptr, at.x - drag.grab.x, at.y - drag.grab.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  if (raw.kind == RawKind::Button && !raw.down && raw.button == 0) {
    const HWND hwnd = drag.hwnd;
    drag = Drag{};
    if (IsWindow(hwnd)) SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
  }
}

void CookMove(const RawInput& raw) {
  LRESULT hit = HTNOWHERE;
  const HWND hwnd = raw.kind == RawKind::Leave ? nullptr : Locate(raw, &hit);
  FollowTracking(hwnd, hit, raw);
  if (!hwnd) return;
  if (!GetCapture()) {
    SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(hit, WM_MOUSEMOVE));
  }
  if (!IsWindow(hwnd)) return;
  if (hit == HTCLIENT) {
    Emit(hwnd, WM_MOUSEMOVE, MouseKeys(), ClientParam(hwnd, raw.screen), raw);
  } else {
    Emit(hwnd, WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), MAKELPARAM(raw.screen.x, raw.screen.y), raw);
  }
}

UINT ButtonMessage(int button, bool down, bool doubleClick, bool client) {
  static constexpr UINT kClient[3][3] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
                                         {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK},
                                         {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}};
  const UINT message = kClient[button][doubleClick ? 2 : (down ? 0 : 1)];
  // The non-client messages sit at a fixed distance from the client ones.
  return client ? message : message - (WM_LBUTTONDOWN - WM_NCLBUTTONDOWN);
}

// The second press of a double click: same window, same button, soon enough
// and near enough to the first.
bool IsDoubleClick(HWND hwnd, const RawInput& raw, bool client) {
  LastPress& last = Queue().lastPress;
  const auto window = FindRecord(hwnd);
  const bool classWants = window && (window->windowClass->style & CS_DBLCLKS);
  const bool second = last.hwnd == hwnd && last.button == raw.button &&
                      raw.time - last.time <= GetDoubleClickTime() &&
                      std::abs(raw.screen.x - last.at.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                      std::abs(raw.screen.y - last.at.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  if (second && (classWants || !client)) {
    last = LastPress{};
    return true;
  }
  last = LastPress{hwnd, raw.button, raw.time, raw.screen};
  return false;
}

void CookButton(const RawInput& raw) {
  static constexpr int kButtonKeys[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  SetKey(kButtonKeys[raw.button], raw.down);
  LRESULT hit = HTNOWHERE;
  const HWND hwnd = Locate(raw, &hit);
  if (!hwnd) return;
  const UINT plain = ButtonMessage(raw.button, raw.down, false, true);
  if (raw.down && !GetCapture()) {
    const HWND top = TopLevelOf(hwnd);
    bool eat = false;
    if (top != GetActiveWindow()) {
      const LRESULT answer = SendMessageW(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                          MAKELPARAM(hit, plain));
      if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) Activate(top, WA_CLICKACTIVE);
      eat = answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT;
    }
    if (IsWindow(hwnd)) {
      SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(hit, plain));
    }
    if (eat || !IsWindow(hwnd)) return;
  }
  const bool client = hit == HTCLIENT;
  const bool doubleClick = raw.down && IsDoubleClick(hwnd, raw, client);
  const UINT message = ButtonMessage(raw.button, raw.down, doubleClick, client);
  if (client) {
    Emit(hwnd, message, MouseKeys(), ClientParam(hwnd, raw.screen), raw);
  } else {
    Emit(hwnd, message, static_cast<WPARAM>(hit), MAKELPARAM(raw.screen.x, raw.screen.y), raw);
  }
}

void CookWheel(const RawInput& raw) {
  LRESULT hit = HTNOWHERE;
  HWND hwnd = Locate(raw, &hit);
  if (!hwnd) hwnd = GetFocus();
  if (!hwnd) return;
  Emit(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeys(), raw.wheelDelta),
       MAKELPARAM(raw.screen.x, raw.screen.y), raw);
}

void CookKey(const RawInput& raw) {
  const bool wasDown = KeyDown(static_cast<int>(raw.virtualKey));
  SetKey(raw.virtualKey, raw.down);
  // Both keys of a pair count for the plain virtual key.
  if (raw.virtualKey == VK_LSHIFT || raw.virtualKey == VK_RSHIFT) SetKey(VK_SHIFT, raw.down);
  if (raw.virtualKey == VK_LCONTROL || raw.virtualKey == VK_RCONTROL) SetKey(VK_CONTROL, raw.down);
  if (raw.virtualKey == VK_LMENU || raw.virtualKey == VK_RMENU) SetKey(VK_MENU, raw.down);
  UINT vk = raw.virtualKey;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) vk = VK_SHIFT;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) vk = VK_CONTROL;
  if (vk == VK_LMENU || vk == VK_RMENU) vk = VK_MENU;
  HWND hwnd = GetFocus();
  // Without a focus window, keys go to the active window as system keys.
  const bool alt = KeyDown(VK_MENU) && !KeyDown(VK_CONTROL);
  const bool system = !hwnd || alt || vk == VK_MENU || vk == static_cast<UINT>(VK_F10);
  if (!hwnd) hwnd = GetActiveWindow();
  if (!hwnd || Disabled(hwnd)) return;
  LPARAM data = 1 | static_cast<LPARAM>(raw.scanCode & 0xFF) << 16;
  if (alt) data |= LPARAM{1} << 29;
  if (wasDown) data |= LPARAM{1} << 30;
  if (!raw.down) data |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  const UINT message = system ? (raw.down ? WM_SYSKEYDOWN : WM_SYSKEYUP)
                              : (raw.down ? WM_KEYDOWN : WM_KEYUP);
  Emit(hwnd, message, vk, data, raw);
}

void Cook(const RawInput& raw) {
  if (raw.kind != RawKind::Key) {
    PointerState& pointer = Pointer();
    std::lock_guard<std::mutex> lock(pointer.mutex);
    if (raw.kind != RawKind::Leave) pointer.cursor = raw.screen;
  }
  if (Queue().drag.hwnd) {
    FollowDrag(raw);
    if (raw.kind == RawKind::Move || raw.kind == RawKind::Button) return;
  }
  switch (raw.kind) {
    case RawKind::Move:
    case RawKind::Leave: CookMove(raw); break;
    case RawKind::Button: CookButton(raw); break;
    case RawKind::Wheel: CookWheel(raw); break;
    case RawKind::Key: CookKey(raw); break;
  }
}

bool TakeCooked(const MessageFilter& filter, bool remove, MSG* msg) {
  auto& cooked = Queue().cooked;
  for (auto it = cooked.begin(); it != cooked.end();) {
    // Input for a window destroyed meanwhile is dropped.
    if (!IsWindow(it->hwnd)) {
      it = cooked.erase(it);
      continue;
    }
    if (filter.Matches(it->hwnd, it->message)) {
      *msg = *it;
      if (remove) cooked.erase(it);
      return true;
    }
    ++it;
  }
  return false;
}

}  // namespace

void InjectInput(const RawInput& input) { Queue().raw.push_back(input); }

bool NextInput(const MessageFilter& filter, bool remove, MSG* msg) {
  ThreadInputQueue& queue = Queue();
  // Raw input is turned into messages one event at a time, only when no
  // message made earlier matches: what the window does with one event (a
  // capture, a drag) decides what the next one becomes.
  while (!TakeCooked(filter, remove, msg)) {
    if (queue.raw.empty()) return false;
    const RawInput raw = queue.raw.front();
    queue.raw.pop_front();
    Cook(raw);
  }
  return true;
}

void BeginWindowDrag(HWND hwnd) {
  if (!KeyDown(VK_LBUTTON)) return;
  POINT cursor;
  GetCursorPos(&cursor);
  RECT rect;
  GetWindowRect(hwnd, &rect);
  Queue().drag = Drag{hwnd, POINT{cursor.x - rect.left, cursor.y - rect.top}};
  SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
}

void ForgetTrackingOf(HWND hwnd) {
  ThreadInputQueue& queue = Queue();
  if (queue.tracking.hwnd == hwnd) queue.tracking = Tracking{};
  if (queue.drag.hwnd == hwnd) queue.drag = Drag{};
  if (queue.lastPress.hwnd == hwnd) queue.lastPress = LastPress{};
}

bool LayoutCharacter(WPARAM vk, WCHAR* character) {
  const bool shift = KeyDown(VK_SHIFT);
  const bool control = KeyDown(VK_CONTROL);
  const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  if (vk >= 'A' && vk <= 'Z') {
    if (control) {
      *character = static_cast<WCHAR>(vk - 'A' + 1);
    } else {
      *character = static_cast<WCHAR>(shift != caps ? vk : vk + ('a' - 'A'));
    }
    return true;
  }
  if (control) return false;
  if (vk >= '0' && vk <= '9') {
    static constexpr char16_t kShifted[] = u")!@#$%^&*(";
    *character = shift ? kShifted[vk - '0'] : static_cast<WCHAR>(vk);
    return true;
  }
  if (vk >= static_cast<WPARAM>(VK_NUMPAD0) && vk <= static_cast<WPARAM>(VK_NUMPAD0 + 9)) {
    *character = static_cast<WCHAR>(u'0' + (vk - VK_NUMPAD0));
    return true;
  }
  struct Symbol {
    int vk;
    char16_t plain;
    char16_t shifted;
  };
  static constexpr Symbol kSymbols[] = {
      {VK_SPACE, u' ', u' '},      {VK_RETURN, 0x0D, 0x0D},     {VK_BACK, 0x08, 0x08},
      {VK_TAB, 0x09, 0x09},        {VK_ESCAPE, 0x1B, 0x1B},     {VK_OEM_1, u';', u':'},
      {VK_OEM_PLUS, u'=', u'+'},   {VK_OEM_COMMA, u',', u'<'},  {VK_OEM_MINUS, u'-', u'_'},
      {VK_OEM_PERIOD, u'.', u'>'}, {VK_OEM_2, u'/', u'?'},      {VK_OEM_3, u'`', u'~'},
      {VK_OEM_4, u'[', u'{'},      {VK_OEM_5, u'\\', u'|'},     {VK_OEM_6, u']', u'}'},
      {VK_OEM_7, u'\'', u'"'},     {VK_MULTIPLY, u'*', u'*'},   {VK_ADD, u'+', u'+'},
      {VK_SUBTRACT, u'-', u'-'},   {VK_DECIMAL, u'.', u'.'},    {VK_DIVIDE, u'/', u'/'},
  };
  for (const Symbol& symbol : kSymbols) {
    if (static_cast<WPARAM>(symbol.vk) == vk) {
      *character = shift ? symbol.shifted : symbol.plain;
      return true;
    }
  }
  return false;
}

}  // namespace zv::user

SHORT GetKeyState(int virtualKey) {
  zv::user::PointerState& pointer = zv::user::Pointer();
  std::lock_guard<std::mutex> lock(pointer.mutex);
  const BYTE key = pointer.keys[virtualKey & 0xFF];
  return static_cast<SHORT>(((key & 0x80) ? 0x8000 : 0) | (key & 0x01));
}

SHORT GetAsyncKeyState(int virtualKey) {
  return static_cast<SHORT>(GetKeyState(virtualKey) & 0x8000);
}

BOOL GetCursorPos(LPPOINT point) {
  if (point == nullptr) return FALSE;
  zv::user::PointerState& pointer = zv::user::Pointer();
  std::lock_guard<std::mutex> lock(pointer.mutex);
  *point = pointer.cursor;
  return TRUE;
}

UINT GetDoubleClickTime() { return 500; }

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track) {
  if (track == nullptr || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  zv::user::Tracking& tracking = zv::user::Queue().tracking;
  if (track->dwFlags & TME_QUERY) {
    *track = TRACKMOUSEEVENT{sizeof(TRACKMOUSEEVENT), tracking.flags, tracking.hwnd, tracking.hoverTime};
    return TRUE;
  }
  if (!IsWindow(track->hwndTrack)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const DWORD asked = track->dwFlags & (TME_HOVER | TME_LEAVE);
  if (track->dwFlags & TME_CANCEL) {
    if (tracking.hwnd == track->hwndTrack) {
      if (asked & TME_HOVER) KillTimer(tracking.hwnd, zv::user::kHoverTimerId);
      tracking.flags &= ~asked;
      if (tracking.flags == 0) tracking = zv::user::Tracking{};
    }
    return TRUE;
  }
  POINT cursor;
  GetCursorPos(&cursor);
  // A window the pointer is not over is left at once.
  if (WindowFromPoint(cursor) != track->hwndTrack) {
    if (asked & TME_LEAVE) PostMessageW(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
    return TRUE;
  }
  if (tracking.hwnd != track->hwndTrack) zv::user::StopTracking();
  tracking.hwnd = track->hwndTrack;
  tracking.flags |= asked;
  if (asked & TME_HOVER) {
    tracking.hoverTime = track->dwHoverTime == HOVER_DEFAULT ? 400 : track->dwHoverTime;
    zv::user::ArmHover(cursor);
  }
  return TRUE;
}
