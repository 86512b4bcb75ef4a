// The window manager's records of this process: window classes, windows and
// the message queues of the threads. One lock guards all of them; it is never
// held while a window procedure runs.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "display.h"
#include "win/gdi.h"
#include "thread_queue.h"
#include "win/user.h"

namespace zv::user {

struct WindowClass {
  ATOM atom;
  std::u16string name;
  UINT style;
  WNDPROC proc;
  int classExtra;
  int windowExtra;
  HINSTANCE instance;
  HICON icon;
  HICON smallIcon;
  HCURSOR cursor;
  HBRUSH background;
  LPCWSTR menuName;
  int windowCount = 0;
};

struct Window {
  HWND handle;
  std::shared_ptr<WindowClass> windowClass;
  DWORD threadId;
  WNDPROC proc;
  DWORD style;
  DWORD exStyle;
  LONG_PTR id;
  HINSTANCE instance;
  LONG_PTR userData = 0;
  HWND parent = nullptr;
  HWND owner = nullptr;
  // Message-only windows are never top-level windows that others can find.
  bool messageOnly = false;
  // Children in Z order, topmost first.
  std::vector<HWND> children;
  std::u16string text;
  std::vector<unsigned char> extraBytes;
  // Set once its destruction has begun; it is then no longer offered to
  // lookups and a second DestroyWindow does nothing more.
  bool destroying = false;
  std::unique_ptr<DisplayWindow> display;

  // Placement: a top-level window's rectangle is in screen coordinates, a
  // child's in its parent's client coordinates. The layer draws no frames, so
  // the client area is the whole window.
  RECT rect{0, 0, 0, 0};
  // Where SW_RESTORE puts a minimised or maximised window back.
  RECT restoreRect{0, 0, 0, 0};
  // Window region (window coordinates), owned; null: the whole rectangle.
  HRGN region = nullptr;
  // Invalid part of the client area, owned; null: nothing to paint.
  HRGN update = nullptr;
  bool eraseNeeded = false;
  // The pixels of a top-level window; null until it is first painted or shown.
  std::shared_ptr<struct Surface> surface;

  ~Window();

  bool IsTopLevel() const { return (style & WS_CHILD) == 0 && !messageOnly; }
};

class State {
 public:
  static State& Get();

  std::mutex mutex;
  std::map<std::u16string, std::shared_ptr<WindowClass>> classes;  // by folded name
  std::map<HWND, std::shared_ptr<Window>> windows;
  // Top-level windows (message-only ones excepted) in Z order, topmost first.
  std::vector<HWND> topLevels;
  std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;
  ATOM nextAtom = 0xC000;
  DWORD nextSerial = 1;
  Display* display = nullptr;

 private:
  State() = default;
};

// Class names compare without regard to case, as on Windows (ASCII letters).
std::u16string FoldCase(std::u16string_view name);
bool IsAtomName(LPCWSTR name);

// Takes a window out of its parent's children and out of the top-level list;
// windows it owned lose their owner. Expects the state lock to be held.
void Unlink(State& state, const Window& window);

// The record of a live window of this process, or null.
std::shared_ptr<Window> FindRecord(HWND hwnd);
// The queue of the calling thread, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// The queue of a thread of this process, or null when it has none (yet).
std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId);

}  // namespace zv::user
