// Where a display backend plugs in: the order in which its events and its
// paint requests come out of the queue, and the on-screen part of a window.
// The display backend itself is not part of this library, so a scripted one
// stands in for it here; what is tested is the window manager around it.
#include <gtest/gtest.h>

#include "display.h"
#include "recorder.h"

namespace {

using user_test::Recorder;

class ScriptedDisplay : public zv::user::Display {
 public:
  HWND window = nullptr;
  int pendingInput = 0;
  bool needsPaint = false;

  void PumpEvents() override {
    for (; pendingInput > 0; --pendingInput) PostMessageW(window, WM_MOUSEMOVE, 0, 0);
  }
  bool NextPaint(const zv::user::MessageFilter& filter, bool remove, MSG* msg) override {
    if (!needsPaint || !filter.Matches(window, WM_PAINT)) return false;
    *msg = MSG{window, WM_PAINT, 0, 0, 0, {0, 0}};
    if (remove) needsPaint = false;
    return true;
  }
  int EventFd() override { return -1; }
  bool CharacterForKey(WPARAM key, LPARAM, WCHAR* character) override {
    *character = static_cast<WCHAR>(key + 0x20);
    return key >= 'A' && key <= 'Z';
  }
};

class DisplayWindowProbe : public zv::user::DisplayWindow {
 public:
  explicit DisplayWindowProbe(bool* destroyed) : destroyed_(destroyed) {}
  ~DisplayWindowProbe() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

TEST(UserDisplaySeamTest, InputThenQuitThenPaintThenTimers) {
  const std::u16string className = Recorder::Get().RegisterClass();
  const HWND hwnd = CreateWindowExW(0, className.c_str(), u"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
  ScriptedDisplay display;
  display.window = hwnd;
  display.pendingInput = 1;
  display.needsPaint = true;
  zv::user::AttachDisplay(&display);
  // Detached on every way out of the test, so no later test meets it.
  struct Detach {
    ~Detach() { zv::user::AttachDisplay(nullptr); }
  } detach;

  SetTimer(hwnd, 1, USER_TIMER_MINIMUM, nullptr);
  Sleep(3 * USER_TIMER_MINIMUM);
  PostMessageW(hwnd, WM_USER, 0, 0);
  PostQuitMessage(0);

  std::vector<UINT> order;
  MSG msg;
  for (int i = 0; i < 5; ++i) {
    GetMessageW(&msg, nullptr, 0, 0);
    order.push_back(msg.message);
  }
  const std::vector<UINT> expected = {WM_USER, WM_MOUSEMOVE, WM_QUIT, WM_PAINT, WM_TIMER};
  EXPECT_EQ(order, expected);

  // The display's keyboard layout translates the keys.
  const MSG key{hwnd, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
  TranslateMessage(&key);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('a'));

  bool destroyed = false;
  ASSERT_TRUE(zv::user::SetDisplayWindow(hwnd, std::make_unique<DisplayWindowProbe>(&destroyed)));
  EXPECT_NE(zv::user::GetDisplayWindow(hwnd), nullptr);
  DestroyWindow(hwnd);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(zv::user::GetDisplayWindow(hwnd), nullptr);
}

}  // namespace
