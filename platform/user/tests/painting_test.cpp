// Windows on the display: placement, showing, and painting into the pixels
// that the display is shown. The display is SDL's offscreen driver, asked for
// in this program's own environment.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "display.h"
#include "display_helpers.h"

namespace {

using user_test::PixelAt;
using user_test::Pump;
using user_test::Recorder;
using user_test::Step;

const bool kOffscreen = [] { return setenv("SDL_VIDEODRIVER", "offscreen", 1) == 0; }();

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

class UserPaintingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreen);
    Recorder::Get().Clear();
    className_ = Recorder::Get().RegisterClass();
  }
  void TearDown() override { Recorder::Get().Clear(); }

  HWND Create(int x, int y, int width, int height, DWORD style = WS_POPUP) {
    return CreateWindowExW(0, className_.c_str(), u"painted", style, x, y, width, height, nullptr,
                           nullptr, nullptr, nullptr);
  }

  // WM_PAINT fills the update area with `colour`.
  static void PaintWith(COLORREF colour) {
    Recorder::Get().SetAnswer([colour](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_PAINT) return std::nullopt;
      PAINTSTRUCT paint;
      HDC hdc = BeginPaint(hwnd, &paint);
      HBRUSH brush = CreateSolidBrush(colour);
      RECT all{0, 0, 1000, 1000};
      FillRect(hdc, &all, brush);  // clipped to the update area
      DeleteObject(brush);
      EndPaint(hwnd, &paint);
      return 0;
    });
  }

  std::u16string className_;
};

TEST_F(UserPaintingTest, PaintComesAfterPostedMessagesAndOnlyWhileSomethingIsInvalid) {
  const HWND hwnd = Create(10, 20, 40, 30);
  PostMessageW(hwnd, WM_USER, 0, 0);
  MSG msg;
  // A hidden window is not painted.
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));

  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  PostMessageW(hwnd, WM_USER + 1, 0, 0);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  RECT update;
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_EQ(update.right, 40);
  EXPECT_EQ(update.bottom, 30);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  // Not painted yet: it stays due.
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  ValidateRect(hwnd, nullptr);
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  DestroyWindow(hwnd);
}

TEST_F(UserPaintingTest, WhatIsPaintedIsWhatTheWindowHoldsLimitedToTheUpdateArea) {
  const HWND hwnd = Create(0, 0, 40, 30);
  PaintWith(RGB(255, 0, 0));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  Pump();
  EXPECT_EQ(PixelAt(hwnd, 0, 0), kRed);
  EXPECT_EQ(PixelAt(hwnd, 39, 29), kRed);

  PaintWith(RGB(0, 0, 255));
  const RECT part{10, 5, 20, 15};
  InvalidateRect(hwnd, &part, FALSE);
  EXPECT_TRUE(UpdateWindow(hwnd));
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  struct Case {
    int x;
    int y;
    std::uint32_t expected;
  };
  const Case cases[] = {{10, 5, kBlue}, {19, 14, kBlue}, {9, 5, kRed}, {20, 14, kRed}, {15, 15, kRed}};
  for (const Case& c : cases) EXPECT_EQ(PixelAt(hwnd, c.x, c.y), c.expected) << c.x << "," << c.y;
  DestroyWindow(hwnd);
}

TEST_F(UserPaintingTest, TheDisplayShowsTheWindowsPixels) {
  const HWND hwnd = Create(5, 6, 16, 8);
  PaintWith(RGB(255, 0, 0));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  Pump();
  ASSERT_NE(zv::user::GetDisplayWindow(hwnd), nullptr) << "the offscreen display did not open";
  SDL_Window* shown = nullptr;
  for (Uint32 id = 1; id < 64 && !shown; ++id) {
    SDL_Window* candidate = SDL_GetWindowFromID(id);
    if (candidate && std::string(SDL_GetWindowTitle(candidate)) == "painted") shown = candidate;
  }
  ASSERT_NE(shown, nullptr);
  int x = 0;
  int y = 0;
  SDL_GetWindowPosition(shown, &x, &y);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 6);
  SDL_Surface* surface = SDL_GetWindowSurface(shown);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->w, 16);
  ASSERT_EQ(surface->h, 8);
  Uint8 r = 0;
  Uint8 g = 0;
  Uint8 b = 0;
  auto* row = static_cast<const Uint8*>(surface->pixels) + 7 * surface->pitch;
  SDL_GetRGB(*reinterpret_cast<const Uint32*>(row + 15 * 4), surface->format, &r, &g, &b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);

  SetWindowTextW(hwnd, u"renamed 窗口");
  EXPECT_EQ(std::string(SDL_GetWindowTitle(shown)), "renamed 窗口");

  // Moved and grown, repainted in another colour: the display follows.
  PaintWith(RGB(0, 0, 255));
  SetWindowPos(hwnd, nullptr, 30, 40, 24, 12, SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  SDL_GetWindowPosition(shown, &x, &y);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 40);
  surface = SDL_GetWindowSurface(shown);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->w, 24);
  ASSERT_EQ(surface->h, 12);
  row = static_cast<const Uint8*>(surface->pixels) + 11 * surface->pitch;
  SDL_GetRGB(*reinterpret_cast<const Uint32*>(row + 23 * 4), surface->format, &r, &g, &b);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(b, 255);
  DestroyWindow(hwnd);
}

TEST_F(UserPaintingTest, AWindowRegionShapesWhereItPaintsAndWhereItIsHit) {
  const HWND hwnd = Create(100, 100, 40, 40);
  SetWindowRgn(hwnd, CreateRoundRectRgn(0, 0, 41, 41, 20, 20), TRUE);
  PaintWith(RGB(255, 0, 0));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  Pump();
  EXPECT_EQ(PixelAt(hwnd, 20, 20), kRed);
  EXPECT_NE(PixelAt(hwnd, 0, 0), kRed);  // cut off by the round corner
  EXPECT_EQ(WindowFromPoint(POINT{120, 120}), hwnd);
  EXPECT_EQ(WindowFromPoint(POINT{100, 100}), nullptr);
  DestroyWindow(hwnd);
}

TEST_F(UserPaintingTest, PlacementAnnouncesItselfAndConvertsCoordinates) {
  const HWND hwnd = Create(10, 20, 40, 30);
  Recorder::Get().Clear();
  SetWindowPos(hwnd, nullptr, 50, 60, 100, 80, SWP_NOZORDER | SWP_NOACTIVATE);
  const std::vector<Step> expected = {{hwnd, WM_WINDOWPOSCHANGING}, {hwnd, WM_WINDOWPOSCHANGED},
                                      {hwnd, WM_MOVE}, {hwnd, WM_SIZE}};
  EXPECT_EQ(Recorder::Get().Steps({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}), expected);
  RECT rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.bottom, 140);
  GetClientRect(hwnd, &rect);
  EXPECT_EQ(rect.right, 100);
  EXPECT_EQ(rect.bottom, 80);
  POINT point{5, 6};
  ClientToScreen(hwnd, &point);
  EXPECT_EQ(point.x, 55);
  EXPECT_EQ(point.y, 66);
  ScreenToClient(hwnd, &point);
  EXPECT_EQ(point.x, 5);

  Recorder::Get().Clear();
  MoveWindow(hwnd, 50, 60, 100, 80, TRUE);  // nothing changes: no WM_MOVE, no WM_SIZE
  EXPECT_TRUE(Recorder::Get().Steps({WM_MOVE, WM_SIZE}).empty());
  DestroyWindow(hwnd);
}

TEST_F(UserPaintingTest, MinimiseMaximiseAndRestore) {
  const HWND hwnd = Create(10, 20, 40, 30);
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  MONITORINFO monitor{sizeof monitor, {}, {}, 0};
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor));
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_TRUE(EqualRect(&work, &monitor.rcWork));

  ShowWindow(hwnd, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(hwnd));
  RECT rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_TRUE(EqualRect(&rect, &work));

  ShowWindow(hwnd, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(hwnd));
  EXPECT_FALSE(IsZoomed(hwnd));
  EXPECT_NE(GetActiveWindow(), hwnd);

  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_FALSE(IsIconic(hwnd));
  GetWindowRect(hwnd, &rect);
  const RECT original{10, 20, 50, 50};
  EXPECT_TRUE(EqualRect(&rect, &original));

  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  DestroyWindow(hwnd);
}

TEST_F(UserPaintingTest, OwnedWindowsStayAboveTheirOwner) {
  const HWND owner = Create(0, 0, 100, 100);
  const HWND owned = CreateWindowExW(0, className_.c_str(), u"owned", WS_POPUP, 20, 20, 40, 40, owner, nullptr,
                                     nullptr, nullptr);
  const HWND other = Create(10, 10, 30, 30);
  for (HWND hwnd : {owner, owned, other}) ShowWindow(hwnd, SW_SHOWNORMAL);
  SetActiveWindow(owner);
  EXPECT_EQ(GetWindow(owner, GW_HWNDFIRST), owned);
  EXPECT_EQ(GetWindow(owned, GW_HWNDNEXT), owner);
  EXPECT_EQ(GetWindow(owner, GW_HWNDNEXT), other);
  EXPECT_EQ(WindowFromPoint(POINT{25, 25}), owned);
  EXPECT_TRUE(SetForegroundWindow(other));
  EXPECT_EQ(WindowFromPoint(POINT{25, 25}), other);
  DestroyWindow(other);
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(owned));
}

}  // namespace
