// The seam where a display backend plugs into the window manager. Without a
// display, windows and messages work all the same; the backend adds the
// on-screen part of each window and turns display events into messages.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "message_filter.h"
#include "win/user.h"

namespace zv::user {

// The on-screen part of one window. The window record owns it and destroys it
// with the window, after WM_NCDESTROY.
class DisplayWindow {
 public:
  virtual ~DisplayWindow() = default;
  // Placement in screen coordinates, as the window manager decided it.
  virtual void Place(const RECT& screenRect) {}
  virtual void Show(bool visible, bool activate) {}
  virtual void Minimize() {}
  // The title the desktop shows for the window (taskbar, window lists).
  virtual void SetTitle(const std::u16string& title) {}
  // Brings the window above the others.
  virtual void Raise() {}
  // Shows the pixels: premultiplied BGRA, top-down, `stride` bytes a row.
  virtual void Present(const void* pixels, int width, int height, int stride) {}
};

// A monitor as the display reports it, in screen coordinates.
struct MonitorArea {
  RECT bounds;
  RECT work;
};

class Display {
 public:
  virtual ~Display() = default;
  // Runs on a thread each time it looks at its queue, before the posted
  // messages: turns the pending events of the thread's windows into
  // messages, posted or sent.
  virtual void PumpEvents() = 0;
  // Asked only when nothing is posted and no quit is pending, before timers:
  // a WM_PAINT for a window of the calling thread that matches the filter.
  virtual bool NextPaint(const MessageFilter& filter, bool remove, MSG* msg) = 0;
  // A descriptor that becomes readable when display events arrive (-1: none),
  // so that a waiting thread wakes for them.
  virtual int EventFd() = 0;
  // True when events have arrived that the descriptor no longer shows
  // (already read from it), so that the thread must not wait.
  virtual bool HasPendingEvents() { return false; }
  // The character that a key press gives, for TranslateMessage; false when
  // the key gives none.
  virtual bool CharacterForKey(WPARAM virtualKey, LPARAM keyData, WCHAR* character) = 0;
  // A new on-screen part for a top-level window of the calling thread, or
  // null when this display cannot give it one (another thread, say).
  virtual std::unique_ptr<DisplayWindow> NewWindow(HWND hwnd, HWND owner) { return nullptr; }
  // The monitors, the primary first; empty when the display does not say.
  virtual std::vector<MonitorArea> Monitors() { return {}; }
  // Where the pointer is on screen right now, when the display can say.
  virtual bool PointerPosition(POINT* screen) { return false; }
  // Shows one of the system cursors (an IDC_ number).
  virtual void ShowCursorShape(ULONG_PTR cursorId) {}
};

// The display, attached at the first need: the one attached by a caller
// (tests) or, on the first call, the process's own SDL display when one can be
// opened. Null when there is none: windows then live without a screen.
Display* EnsureDisplay();

// Attaches the display (null detaches it). The caller keeps it alive while
// attached.
void AttachDisplay(Display* display);
Display* AttachedDisplay();

// The on-screen part of a window of this process; false when the window does
// not exist.
bool SetDisplayWindow(HWND hwnd, std::unique_ptr<DisplayWindow> part);
DisplayWindow* GetDisplayWindow(HWND hwnd);

}  // namespace zv::user
