// The display on SDL2: one borderless SDL window per shown top-level window,
// showing the window's pixels, and SDL's input turned into the layer's raw
// input. SDL runs on the thread that first needed the display; windows of
// other threads live without a screen.
#include <SDL.h>
#include <SDL_syswm.h>

#include <map>
#include <mutex>

#include "activation.h"
#include "display.h"
#include "geometry.h"
#include "input.h"
#include "surface.h"
#include "win/kernel.h"
#include "zv/text.h"

namespace zv::user {

namespace {

UINT VirtualKeyOf(SDL_Scancode code) {
  if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 'A' + (code - SDL_SCANCODE_A);
  if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return '1' + (code - SDL_SCANCODE_1);
  if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) return VK_F1 + (code - SDL_SCANCODE_F1);
  if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9) return VK_NUMPAD0 + 1 + (code - SDL_SCANCODE_KP_1);
  static const std::map<SDL_Scancode, UINT> kKeys = {
      {SDL_SCANCODE_0, '0'},           {SDL_SCANCODE_RETURN, VK_RETURN},
      {SDL_SCANCODE_ESCAPE, VK_ESCAPE}, {SDL_SCANCODE_BACKSPACE, VK_BACK},
      {SDL_SCANCODE_TAB, VK_TAB},       {SDL_SCANCODE_SPACE, VK_SPACE},
      {SDL_SCANCODE_MINUS, VK_OEM_MINUS}, {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
      {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4}, {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
      {SDL_SCANCODE_BACKSLASH, VK_OEM_5}, {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
      {SDL_SCANCODE_APOSTROPHE, VK_OEM_7}, {SDL_SCANCODE_GRAVE, VK_OEM_3},
      {SDL_SCANCODE_COMMA, VK_OEM_COMMA}, {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
      {SDL_SCANCODE_SLASH, VK_OEM_2},   {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
      {SDL_SCANCODE_INSERT, VK_INSERT}, {SDL_SCANCODE_HOME, VK_HOME},
      {SDL_SCANCODE_PAGEUP, VK_PRIOR},  {SDL_SCANCODE_DELETE, VK_DELETE},
      {SDL_SCANCODE_END, VK_END},       {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
      {SDL_SCANCODE_RIGHT, VK_RIGHT},   {SDL_SCANCODE_LEFT, VK_LEFT},
      {SDL_SCANCODE_DOWN, VK_DOWN},     {SDL_SCANCODE_UP, VK_UP},
      {SDL_SCANCODE_KP_0, VK_NUMPAD0},  {SDL_SCANCODE_KP_ENTER, VK_RETURN},
      {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY}, {SDL_SCANCODE_KP_PLUS, VK_ADD},
      {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT}, {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
      {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE}, {SDL_SCANCODE_LCTRL, VK_LCONTROL},
      {SDL_SCANCODE_LSHIFT, VK_LSHIFT}, {SDL_SCANCODE_LALT, VK_LMENU},
      {SDL_SCANCODE_RCTRL, VK_RCONTROL}, {SDL_SCANCODE_RSHIFT, VK_RSHIFT},
      {SDL_SCANCODE_RALT, VK_RMENU},    {SDL_SCANCODE_APPLICATION, VK_APPS},
  };
  const auto found = kKeys.find(code);
  return found == kKeys.end() ? 0 : found->second;
}

SDL_SystemCursor SystemCursorOf(ULONG_PTR id) {
  switch (id) {
    case 32513: return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514: return SDL_SYSTEM_CURSOR_WAIT;
    case 32515: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32642: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case 32643: return SDL_SYSTEM_CURSOR_SIZENESW;
    case 32644: return SDL_SYSTEM_CURSOR_SIZEWE;
    case 32645: return SDL_SYSTEM_CURSOR_SIZENS;
    case 32646: return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32648: return SDL_SYSTEM_CURSOR_NO;
    case 32649: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
  }
}

class SdlDisplay;

class SdlWindowPart : public DisplayWindow {
 public:
  SdlWindowPart(SdlDisplay& display, SDL_Window* window) : display_(display), window_(window) {}
  ~SdlWindowPart() override;

  void Place(const RECT& rect) override {
    SDL_SetWindowPosition(window_, rect.left, rect.top);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    const int wanted = std::max<int>(rect.right - rect.left, 1);
    const int wantedHeight = std::max<int>(rect.bottom - rect.top, 1);
    if (width != wanted || height != wantedHeight) SDL_SetWindowSize(window_, wanted, wantedHeight);
  }

  void Show(bool visible, bool activate) override {
    if (!visible) {
      SDL_HideWindow(window_);
      return;
    }
    if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) == 0 ||
        (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED)) {
      SDL_ShowWindow(window_);
      SDL_RestoreWindow(window_);
    }
    if (activate) {
      SDL_RaiseWindow(window_);
      // Without a window manager nobody else hands the keyboard over.
      SDL_SetWindowInputFocus(window_);
    }
  }

  void Minimize() override { SDL_MinimizeWindow(window_); }
  void SetTitle(const std::u16string& title) override { SDL_SetWindowTitle(window_, ToUtf8(title).c_str()); }
  void Raise() override { SDL_RaiseWindow(window_); }

  void Present(const void* pixels, int width, int height, int stride) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(pixels), width, height, 32,
                                                             stride, SDL_PIXELFORMAT_ARGB8888);
    if (!source) return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(window_);
  }

  SDL_Window* Get() const { return window_; }

 private:
  SdlDisplay& display_;
  SDL_Window* window_;
};

class SdlDisplay : public Display {
 public:
  static SdlDisplay* Open() {
    // Without this hint the first window surface loads a software OpenGL
    // stack: over a hundred milliseconds and nearly a hundred megabytes.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // SDL cannot place windows on Wayland; X11 (or XWayland) can. A driver
    // named in the environment (tests ask for "offscreen") still wins.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    return new SdlDisplay();
  }

  void PumpEvents() override {
    if (GetCurrentThreadId() != thread_) return;
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Translate(event);
  }

  bool NextPaint(const MessageFilter&, bool, MSG*) override { return false; }

  int EventFd() override {
    return x11_ && GetCurrentThreadId() == thread_ ? ConnectionNumber(x11_) : -1;
  }

  bool HasPendingEvents() override {
    if (GetCurrentThreadId() != thread_) return false;
    return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) || (x11_ && XEventsQueued(x11_, QueuedAlready) > 0);
  }

  bool CharacterForKey(WPARAM key, LPARAM, WCHAR* character) override {
    return LayoutCharacter(key, character);
  }

  std::unique_ptr<DisplayWindow> NewWindow(HWND hwnd, HWND owner) override {
    if (GetCurrentThreadId() != thread_) return nullptr;
    WCHAR title[256];
    GetWindowTextW(hwnd, title, 256);
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    if (owner) flags |= SDL_WINDOW_SKIP_TASKBAR;
    SDL_Window* window = SDL_CreateWindow(ToUtf8(title).c_str(), 0, 0, 1, 1, flags);
    if (!window) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    windows_[SDL_GetWindowID(window)] = hwnd;
    if (auto* ownerPart = dynamic_cast<SdlWindowPart*>(owner ? GetDisplayWindow(owner) : nullptr)) {
      // Owned windows stay above their owner where a window manager listens.
      SDL_SetWindowModalFor(window, ownerPart->Get());
    }
    if (!x11_) FindX11(window);
    return std::make_unique<SdlWindowPart>(*this, window);
  }

  std::vector<MonitorArea> Monitors() override {
    std::vector<MonitorArea> monitors;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
      SDL_Rect bounds;
      SDL_Rect usable;
      if (SDL_GetDisplayBounds(i, &bounds) != 0) continue;
      if (SDL_GetDisplayUsableBounds(i, &usable) != 0) usable = bounds;
      monitors.push_back(MonitorArea{{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h},
                                     {usable.x, usable.y, usable.x + usable.w, usable.y + usable.h}});
    }
    return monitors;
  }

  void ShowCursorShape(ULONG_PTR id) override {
    if (GetCurrentThreadId() != thread_) return;
    SDL_Cursor*& cursor = cursors_[SystemCursorOf(id)];
    // Drivers without system cursors (offscreen) make none; nothing shows then.
    if (!cursor) cursor = SDL_CreateSystemCursor(SystemCursorOf(id));
    if (cursor) SDL_SetCursor(cursor);
  }

  void Forget(SDL_Window* window) {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.erase(SDL_GetWindowID(window));
  }

 private:
  SdlDisplay() : thread_(GetCurrentThreadId()) {}

  void FindX11(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) x11_ = info.info.x11.display;
  }

  HWND WindowOf(Uint32 id) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : found->second;
  }

  // X tells where the pointer is now, whatever window the events came to.
  bool PointerPosition(POINT* screen) override {
    if (!x11_ || GetCurrentThreadId() != thread_) return false;
    ::Window root;
    ::Window child;
    int rootX = 0;
    int rootY = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(x11_, DefaultRootWindow(x11_), &root, &child, &rootX, &rootY, &winX, &winY, &mask)) {
      return false;
    }
    *screen = POINT{rootX, rootY};
    return true;
  }

  POINT PointerAt(Uint32 windowId, int x, int y) {
    const POINT origin = ScreenOrigin(WindowOf(windowId));
    return POINT{origin.x + x, origin.y + y};
  }

  void Translate(const SDL_Event& event) {
    RawInput raw;
    raw.time = GetTickCount();
    switch (event.type) {
      case SDL_MOUSEMOTION:
        if (!WindowOf(event.motion.windowID)) return;
        raw.kind = RawKind::Move;
        raw.screen = PointerAt(event.motion.windowID, event.motion.x, event.motion.y);
        InjectInput(raw);
        return;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        if (!WindowOf(event.button.windowID)) return;
        const int buttons[] = {-1, 0, 2, 1};
        if (event.button.button > SDL_BUTTON_RIGHT) return;
        raw.kind = RawKind::Button;
        raw.button = buttons[event.button.button];
        raw.down = event.type == SDL_MOUSEBUTTONDOWN;
        raw.screen = PointerAt(event.button.windowID, event.button.x, event.button.y);
        InjectInput(raw);
        return;
      }
      case SDL_MOUSEWHEEL: {
        if (!WindowOf(event.wheel.windowID) || event.wheel.y == 0) return;
        const int steps = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        raw.kind = RawKind::Wheel;
        raw.wheelDelta = steps * WHEEL_DELTA;
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        raw.screen = PointerAt(event.wheel.windowID, x, y);
        InjectInput(raw);
        return;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        raw.kind = RawKind::Key;
        raw.virtualKey = VirtualKeyOf(event.key.keysym.scancode);
        raw.scanCode = event.key.keysym.scancode;
        raw.down = event.type == SDL_KEYDOWN;
        if (raw.virtualKey != 0) InjectInput(raw);
        return;
      case SDL_WINDOWEVENT:
        WindowEvent(event.window);
        return;
      default:
        return;
    }
  }

  void WindowEvent(const SDL_WindowEvent& event) {
    const HWND hwnd = WindowOf(event.windowID);
    if (!hwnd) return;
    switch (event.event) {
      case SDL_WINDOWEVENT_EXPOSED:
        PresentWindow(hwnd);
        return;
      case SDL_WINDOWEVENT_CLOSE:
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
      case SDL_WINDOWEVENT_LEAVE: {
        RawInput raw;
        raw.kind = RawKind::Leave;
        raw.time = GetTickCount();
        InjectInput(raw);
        return;
      }
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        FocusGained(hwnd);
        return;
      case SDL_WINDOWEVENT_MOVED: {
        // Moved by the window manager: the window learns its new place.
        const POINT origin = ScreenOrigin(hwnd);
        if (origin.x != event.data1 || origin.y != event.data2) {
          SetWindowPos(hwnd, nullptr, event.data1, event.data2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return;
      }
      default:
        return;
    }
  }

  // A window the window manager gave the focus becomes active; while it is
  // disabled (under a modal box), the box takes it instead.
  void FocusGained(HWND hwnd) {
    if (GetActiveWindow() == hwnd) return;
    if (IsWindowEnabled(hwnd)) {
      SetActiveWindow(hwnd);
      return;
    }
    for (HWND top : TopLevelsInOrder()) {
      if (GetWindow(top, GW_OWNER) == hwnd && IsWindowVisible(top) && IsWindowEnabled(top)) {
        SetActiveWindow(top);
        return;
      }
    }
  }

  const DWORD thread_;
  ::Display* x11_ = nullptr;
  std::mutex mutex_;
  std::map<Uint32, HWND> windows_;
  std::map<SDL_SystemCursor, SDL_Cursor*> cursors_;
};

SdlWindowPart::~SdlWindowPart() {
  display_.Forget(window_);
  SDL_DestroyWindow(window_);
}

}  // namespace

Display* EnsureDisplay() {
  if (Display* display = AttachedDisplay()) return display;
  // Opened once, by the first thread that needs it; never closed, as threads
  // may use it until the process ends.
  static SdlDisplay* const sdl = SdlDisplay::Open();
  if (sdl) AttachDisplay(sdl);
  return sdl;
}

}  // namespace zv::user
