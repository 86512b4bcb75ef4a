// Input turned into messages: hit testing and cursor before the mouse
// messages, activation by click, double clicks, capture, hover and leave,
// focus and keys, caption dragging, and modal disabling. Input is injected at
// the layer's boundary, where the display hands it over.
#include <gtest/gtest.h>

#include <cstdlib>

#include "display_helpers.h"

namespace {

using user_test::Button;
using user_test::Click;
using user_test::Key;
using user_test::MoveTo;
using user_test::Pump;
using user_test::Recorder;
using user_test::Step;

const bool kOffscreen = [] { return setenv("SDL_VIDEODRIVER", "offscreen", 1) == 0; }();

class UserInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreen);
    Recorder::Get().Clear();
    className_ = Recorder::Get().RegisterClass();
    doubleClickClass_ = RegisterDoubleClickClass();
  }
  void TearDown() override { Recorder::Get().Clear(); }

  static std::u16string RegisterDoubleClickClass() {
    static int counter = 0;
    const std::string name = "ZvDbl" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    std::u16string wide(name.begin(), name.end());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Recorder::Procedure;
    wc.lpszClassName = wide.c_str();
    return RegisterClassExW(&wc) ? wide : std::u16string();
  }

  // A shown window at (x, y), 50 x 50, not yet active.
  HWND Shown(int x, int y, bool doubleClicks = false, HWND owner = nullptr) {
    const HWND hwnd = CreateWindowExW(0, (doubleClicks ? doubleClickClass_ : className_).c_str(), u"w",
                                      WS_POPUP, x, y, 50, 50, owner, nullptr, nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    Pump();
    return hwnd;
  }

  std::u16string className_;
  std::u16string doubleClickClass_;
};

const std::vector<UINT> kMouse = {WM_NCHITTEST,   WM_SETCURSOR,   WM_MOUSEACTIVATE, WM_ACTIVATE,
                                  WM_SETFOCUS,    WM_MOUSEMOVE,   WM_LBUTTONDOWN,   WM_LBUTTONUP,
                                  WM_LBUTTONDBLCLK, WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK};

TEST_F(UserInputTest, AClickHitTestsActivatesSetsTheCursorThenPresses) {
  const HWND hwnd = Shown(100, 100);
  Recorder::Get().Clear();
  Click(110, 120);
  Pump();
  const std::vector<Step> expected = {
      {hwnd, WM_NCHITTEST},   {hwnd, WM_SETCURSOR},   {hwnd, WM_MOUSEMOVE},  {hwnd, WM_NCHITTEST},
      {hwnd, WM_MOUSEACTIVATE}, {hwnd, WM_ACTIVATE}, {hwnd, WM_SETFOCUS},   {hwnd, WM_SETCURSOR},
      {hwnd, WM_LBUTTONDOWN}, {hwnd, WM_NCHITTEST},   {hwnd, WM_LBUTTONUP}};
  EXPECT_EQ(Recorder::Get().Steps(kMouse), expected);
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);
  DestroyWindow(hwnd);
}

TEST_F(UserInputTest, MouseMessagesCarryClientCoordinatesAndTheButtons) {
  const HWND hwnd = Shown(100, 100);
  std::vector<MSG> seen;
  Recorder::Get().SetAnswer([&](HWND h, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_LBUTTONDOWN || m == WM_MOUSEWHEEL || m == WM_RBUTTONUP || m == WM_CONTEXTMENU) {
      seen.push_back(MSG{h, m, w, l, 0, {}});
    }
    return std::nullopt;
  });
  Button(110, 120, true);
  user_test::Wheel(111, 121, -WHEEL_DELTA);
  Button(111, 121, false);
  Button(112, 122, true, 1);
  Button(112, 122, false, 1);
  Pump();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(seen[0].lParam, MAKELPARAM(10, 20));
  EXPECT_EQ(seen[0].wParam, MK_LBUTTON);
  EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_MOUSEWHEEL));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(seen[1].wParam), -WHEEL_DELTA);
  EXPECT_EQ(GET_KEYSTATE_WPARAM(seen[1].wParam), MK_LBUTTON);
  EXPECT_EQ(seen[1].lParam, MAKELPARAM(111, 121));  // screen coordinates
  EXPECT_EQ(seen[2].message, static_cast<UINT>(WM_RBUTTONUP));
  // The default procedure answers a right button release with a context menu
  // request at the screen point.
  EXPECT_EQ(seen[3].message, static_cast<UINT>(WM_CONTEXTMENU));
  EXPECT_EQ(seen[3].lParam, MAKELPARAM(112, 122));
  EXPECT_EQ(GetKeyState(VK_LBUTTON) & 0x8000, 0);
  DestroyWindow(hwnd);
}

TEST_F(UserInputTest, DoubleClicksNeedTheClassStyleTimeAndNearness) {
  struct Case {
    const char* what;
    bool classWants;
    DWORD gap;
    int distance;
    bool doubleClick;
  };
  const Case cases[] = {
      {"quick and near", true, 100, 1, true},
      {"class without CS_DBLCLKS", false, 100, 1, false},
      {"slower than the double-click time", true, GetDoubleClickTime() + 1, 0, false},
      {"farther than the double-click distance", true, 100, 3, false},
  };
  for (const Case& c : cases) {
    const HWND hwnd = Shown(100, 100, c.classWants);
    Recorder::Get().Clear();
    const DWORD start = 1000000;
    Button(110, 110, true, 0, start);
    Button(110, 110, false, 0, start + 10);
    Button(110 + c.distance, 110, true, 0, start + c.gap);
    Button(110 + c.distance, 110, false, 0, start + c.gap + 10);
    Pump();
    const auto downs = Recorder::Get().Steps({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
    ASSERT_EQ(downs.size(), 2u) << c.what;
    EXPECT_EQ(downs[1].second, c.doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) << c.what;
    DestroyWindow(hwnd);
  }
}

TEST_F(UserInputTest, TheCaptureTakesTheMouseEverywhereWithoutHitTests) {
  const HWND hwnd = Shown(100, 100);
  const HWND other = Shown(300, 300);
  std::vector<LPARAM> moves;
  EXPECT_EQ(SetCapture(hwnd), nullptr);
  EXPECT_EQ(GetCapture(), hwnd);
  Recorder::Get().Clear();
  Recorder::Get().SetAnswer([&](HWND h, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_MOUSEMOVE && h == hwnd) moves.push_back(l);
    return std::nullopt;
  });
  MoveTo(310, 320);
  MoveTo(90, 95);
  Pump();
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_EQ(moves[0], MAKELPARAM(210, 220));
  EXPECT_EQ(moves[1], MAKELPARAM(-10, -5));
  EXPECT_TRUE(Recorder::Get().Steps({WM_NCHITTEST, WM_SETCURSOR}).empty());
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Recorder::Get().Steps({WM_CAPTURECHANGED}), (std::vector<Step>{{hwnd, WM_CAPTURECHANGED}}));
  Recorder::Get().Clear();
  MoveTo(310, 320);
  Pump();
  EXPECT_EQ(Recorder::Get().Steps({WM_MOUSEMOVE}), (std::vector<Step>{{other, WM_MOUSEMOVE}}));
  DestroyWindow(hwnd);
  DestroyWindow(other);
}

TEST_F(UserInputTest, HoverAfterTheHoverTimeAndLeaveWhenThePointerGoes) {
  const HWND hwnd = Shown(100, 100);
  MoveTo(110, 110);
  Pump();
  TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, hwnd, USER_TIMER_MINIMUM};
  ASSERT_TRUE(TrackMouseEvent(&track));
  MSG msg;
  do {
    ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    DispatchMessageW(&msg);
  } while (msg.message != WM_MOUSEHOVER);
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.lParam, MAKELPARAM(10, 10));
  // The hover is reported once; leaving is still tracked.
  Recorder::Get().Clear();
  MoveTo(10, 10);
  Pump();
  EXPECT_EQ(Recorder::Get().Steps({WM_MOUSELEAVE}), (std::vector<Step>{{hwnd, WM_MOUSELEAVE}}));
  // Tracking ended with the leave.
  track = TRACKMOUSEEVENT{sizeof track, TME_QUERY, nullptr, 0};
  TrackMouseEvent(&track);
  EXPECT_EQ(track.dwFlags, 0u);
  DestroyWindow(hwnd);
}

TEST_F(UserInputTest, LeavingTheClientAreaForTheCaptionEndsTheHover) {
  const HWND hwnd = Shown(100, 100);
  MoveTo(120, 130);
  Pump();
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, HOVER_DEFAULT};
  ASSERT_TRUE(TrackMouseEvent(&track));
  Recorder::Get().Clear();
  Recorder::Get().SetAnswer([](HWND h, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_NCHITTEST && GET_Y_LPARAM(l) < 110) return HTCAPTION;
    return std::nullopt;
  });
  MoveTo(120, 105);
  Pump();
  EXPECT_EQ(Recorder::Get().Steps({WM_MOUSELEAVE, WM_NCMOUSEMOVE}),
            (std::vector<Step>{{hwnd, WM_MOUSELEAVE}, {hwnd, WM_NCMOUSEMOVE}}));
  DestroyWindow(hwnd);
}

TEST_F(UserInputTest, ActivationAndFocusMoveInWindowsOrder) {
  const HWND first = Shown(100, 100);
  const HWND second = Shown(300, 300);
  SetActiveWindow(first);
  EXPECT_EQ(GetFocus(), first);
  Recorder::Get().Clear();
  EXPECT_EQ(SetActiveWindow(second), first);
  const std::vector<Step> expected = {{first, WM_NCACTIVATE}, {first, WM_ACTIVATE},  {second, WM_NCACTIVATE},
                                      {second, WM_ACTIVATE},  {first, WM_KILLFOCUS}, {second, WM_SETFOCUS}};
  EXPECT_EQ(Recorder::Get().Steps({WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS}), expected);
  EXPECT_EQ(GetActiveWindow(), second);
  EXPECT_EQ(GetFocus(), second);
  // The active window going away hands the activation on.
  DestroyWindow(second);
  EXPECT_EQ(GetActiveWindow(), first);
  DestroyWindow(first);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(UserInputTest, KeysGoToTheFocusAndTranslateIntoCharacters) {
  const HWND hwnd = Shown(100, 100);
  SetFocus(hwnd);
  std::vector<std::pair<UINT, WPARAM>> seen;
  Recorder::Get().SetAnswer([&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR || m == WM_SYSKEYDOWN) seen.emplace_back(m, w);
    return std::nullopt;
  });
  Key('A', true);
  Key('A', false);
  Key(VK_LSHIFT, true);
  Key('B', true);
  Key('B', false);
  Key(VK_LSHIFT, false);
  Key('1', true);
  Pump();
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'},  {WM_KEYUP, 'A'},     {WM_KEYDOWN, VK_SHIFT},
      {WM_KEYDOWN, 'B'}, {WM_CHAR, 'B'},  {WM_KEYUP, 'B'},     {WM_KEYUP, VK_SHIFT},
      {WM_KEYDOWN, '1'}, {WM_CHAR, '1'}};
  EXPECT_EQ(seen, expected);
  EXPECT_NE(GetKeyState('1') & 0x8000, 0);
  Key('1', false);
  Pump();
  EXPECT_EQ(GetKeyState('1') & 0x8000, 0);
  DestroyWindow(hwnd);
}

TEST_F(UserInputTest, AltF4ClosesTheWindowThroughTheSystemCommand) {
  const HWND hwnd = Shown(100, 100);
  SetFocus(hwnd);
  Recorder::Get().Clear();
  Key(VK_LMENU, true);
  Key(VK_F4, true);
  Pump();
  EXPECT_EQ(Recorder::Get().Steps({WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}),
            (std::vector<Step>{{hwnd, WM_SYSKEYDOWN}, {hwnd, WM_SYSKEYDOWN}, {hwnd, WM_SYSCOMMAND},
                               {hwnd, WM_CLOSE}, {hwnd, WM_DESTROY}}));
  EXPECT_FALSE(IsWindow(hwnd));
  Key(VK_F4, false);
  Key(VK_LMENU, false);
  Pump();
}

TEST_F(UserInputTest, ACaptionDragMovesTheWindowWithThePointer) {
  const HWND hwnd = Shown(100, 100);
  Recorder::Get().SetAnswer([](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_NCHITTEST && GET_Y_LPARAM(l) < 120) return HTCAPTION;
    return std::nullopt;
  });
  MoveTo(110, 105);
  Button(110, 105, true);
  MoveTo(130, 125);
  MoveTo(140, 145);
  Button(140, 145, false);
  MoveTo(141, 146);
  Pump();
  RECT rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, 130);
  EXPECT_EQ(rect.top, 140);
  EXPECT_EQ(rect.right, 180);
  const auto steps = Recorder::Get().Steps({WM_NCLBUTTONDOWN, WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE});
  EXPECT_EQ(steps, (std::vector<Step>{{hwnd, WM_NCLBUTTONDOWN}, {hwnd, WM_ENTERSIZEMOVE}, {hwnd, WM_EXITSIZEMOVE}}));
  DestroyWindow(hwnd);
}

TEST_F(UserInputTest, ADisabledWindowGetsNoInput) {
  const HWND hwnd = Shown(100, 100);
  SetFocus(hwnd);
  EXPECT_FALSE(EnableWindow(hwnd, FALSE));
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_EQ(GetFocus(), nullptr);
  Recorder::Get().Clear();
  Click(110, 110);
  Key('A', true);
  Key('A', false);
  Pump();
  EXPECT_TRUE(Recorder::Get().Steps({WM_NCHITTEST, WM_LBUTTONDOWN, WM_KEYDOWN, WM_SYSKEYDOWN}).empty());
  EXPECT_TRUE(EnableWindow(hwnd, TRUE));
  Click(110, 110);
  Pump();
  EXPECT_EQ(Recorder::Get().Steps({WM_LBUTTONDOWN}), (std::vector<Step>{{hwnd, WM_LBUTTONDOWN}}));
  DestroyWindow(hwnd);
}

// The box is answered from a timer that runs inside its own modal loop.
struct BoxScript {
  HWND owner;
  bool ownerWasDisabled = false;
  std::vector<UINT> keys;
  bool clickFirstButton = false;
};
BoxScript* script = nullptr;

void AnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND box = FindWindowW(u"ZvLayerMessageBox", nullptr);
  if (!box || !IsWindowVisible(box)) return;
  KillTimer(nullptr, id);
  script->ownerWasDisabled = !IsWindowEnabled(script->owner);
  for (UINT key : script->keys) {
    Key(key, true);
    Key(key, false);
  }
  if (script->clickFirstButton) {
    // The first button sits at the bottom right, left of any second one.
    RECT rect;
    GetWindowRect(box, &rect);
    Click(rect.right - 16 - 40, rect.bottom - 16 - 13);
  }
}

TEST_F(UserInputTest, MessageBoxIsModalOverItsOwnerAndAnswers) {
  struct Case {
    const char* what;
    UINT type;
    std::vector<UINT> keys;
    bool click;
    int expected;
  };
  const Case cases[] = {
      {"RETURN takes the first button", MB_OKCANCEL, {VK_RETURN}, false, IDOK},
      {"ESC cancels", MB_OKCANCEL, {VK_ESCAPE}, false, IDCANCEL},
      {"a click on the only button", MB_OK, {}, true, IDOK},
  };
  for (const Case& c : cases) {
    const HWND owner = Shown(100, 100);
    SetActiveWindow(owner);
    BoxScript answer{owner, false, c.keys, c.click};
    script = &answer;
    SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &AnswerBox);
    EXPECT_EQ(MessageBoxW(owner, u"Some text", u"Caption", c.type), c.expected) << c.what;
    EXPECT_TRUE(answer.ownerWasDisabled) << c.what;
    EXPECT_TRUE(IsWindowEnabled(owner)) << c.what;
    EXPECT_EQ(GetActiveWindow(), owner) << c.what;
    EXPECT_EQ(FindWindowW(u"ZvLayerMessageBox", nullptr), nullptr) << c.what;
    DestroyWindow(owner);
  }
}

}  // namespace
