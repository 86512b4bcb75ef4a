#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pixels.h"
#include "win/gdi.h"
#include "win/kernel.h"
#include "zv/gdi_surface.h"

namespace {

using zv::test::Dib;

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

void Fill(HDC dc, RECT rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

TEST(DeviceContext, DibSectionMemoryIsTheDrawnPixels) {
  for (bool bottomUp : {false, true}) {
    Dib dib(4, 3, bottomUp);
    Fill(dib.dc(), RECT{0, 0, 4, 1}, RGB(255, 0, 0));  // the top row as drawn
    // Top-down DIBs keep the top row first in memory, bottom-up ones last.
    const int topRowInMemory = bottomUp ? 2 : 0;
    EXPECT_EQ(dib.MemoryRow(topRowInMemory)[3], kRed) << bottomUp;
    EXPECT_EQ(dib.MemoryRow(2 - topRowInMemory)[3], 0u) << bottomUp;

    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(dib.bitmap(), sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmWidth, 4);
    EXPECT_EQ(section.dsBm.bmHeight, 3);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 16);
    EXPECT_EQ(section.dsBm.bmBits, dib.MemoryRow(0));
    EXPECT_EQ(section.dsBmih.biHeight, bottomUp ? 3 : -3);
  }
}

TEST(DeviceContext, CallerWritesToDibMemoryAreSeenByTheNextBlit) {
  Dib source(2, 2);
  Dib dest(2, 2);
  source.Fill(kBlue);
  BitBlt(dest.dc(), 0, 0, 2, 2, source.dc(), 0, 0, SRCCOPY);
  source.Set(1, 1, kRed);
  BitBlt(dest.dc(), 0, 0, 2, 2, source.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(dest.At(1, 1), kRed);
  EXPECT_EQ(dest.At(0, 0), kBlue);
}

TEST(DeviceContext, UnsupportedDibFormatsAreRefused) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(bits, nullptr);
}

TEST(DeviceContext, SaveAndRestoreBringBackObjectsColoursAndClip) {
  Dib dib(8, 8);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ originalPen = SelectObject(dib.dc(), red);
  SetTextColor(dib.dc(), RGB(1, 2, 3));
  const int level = SaveDC(dib.dc());
  EXPECT_EQ(level, 1);
  EXPECT_EQ(SaveDC(dib.dc()), 2);

  SelectObject(dib.dc(), GetStockObject(BLACK_PEN));
  SetTextColor(dib.dc(), RGB(9, 9, 9));
  IntersectClipRect(dib.dc(), 0, 0, 2, 2);
  SetViewportOrgEx(dib.dc(), 3, 3, nullptr);

  ASSERT_TRUE(RestoreDC(dib.dc(), level));
  EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_PEN), red);
  EXPECT_EQ(GetTextColor(dib.dc()), RGB(1, 2, 3));
  RECT box;
  EXPECT_EQ(GetClipBox(dib.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 8);
  POINT origin;
  GetViewportOrgEx(dib.dc(), &origin);
  EXPECT_EQ(origin.x, 0);
  // Level 2 went with the restore of level 1.
  EXPECT_FALSE(RestoreDC(dib.dc(), -1));

  SelectObject(dib.dc(), originalPen);
  EXPECT_TRUE(DeleteObject(red));
}

TEST(DeviceContext, DeletingASelectedObjectWaitsUntilItIsReleased) {
  Dib dib(4, 4);
  dib.Fill(kWhite);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HGDIOBJ original = SelectObject(dib.dc(), pen);
  SaveDC(dib.dc());
  EXPECT_TRUE(DeleteObject(pen));
  // Still selected: it still draws.
  MoveToEx(dib.dc(), 0, 0, nullptr);
  LineTo(dib.dc(), 4, 0);
  EXPECT_EQ(dib.At(3, 0), kBlue);
  SelectObject(dib.dc(), original);
  EXPECT_EQ(GetObjectType(pen), OBJ_PEN);  // the saved state holds it too
  RestoreDC(dib.dc(), -1);
  SelectObject(dib.dc(), original);
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(DeviceContext, ABitmapIsSelectedIntoOneDcAtATime) {
  Dib dib(4, 4);
  HDC other = CreateCompatibleDC(dib.dc());
  EXPECT_EQ(SelectObject(other, dib.bitmap()), nullptr);
  HBITMAP compatible = CreateCompatibleBitmap(dib.dc(), 2, 2);
  HGDIOBJ previous = SelectObject(other, compatible);
  ASSERT_NE(previous, nullptr);
  // A compatible bitmap starts opaque black, like the screen it is compatible with.
  Dib probe(2, 2);
  BitBlt(probe.dc(), 0, 0, 2, 2, other, 0, 0, SRCCOPY);
  EXPECT_EQ(probe.At(1, 1), 0xFF000000u);
  EXPECT_EQ(GetDeviceCaps(other, HORZRES), 2);
  SelectObject(other, previous);
  DeleteDC(other);
  EXPECT_TRUE(DeleteObject(compatible));
}

TEST(DeviceContext, DeviceCapsAndStockObjects) {
  Dib dib(4, 4);
  EXPECT_EQ(GetDeviceCaps(dib.dc(), LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dib.dc(), LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(dib.dc(), BITSPIXEL), 32);

  LOGBRUSH brush{};
  ASSERT_EQ(GetObjectW(GetStockObject(NULL_BRUSH), sizeof(brush), &brush), static_cast<int>(sizeof(brush)));
  EXPECT_EQ(brush.lbStyle, BS_NULL);
  GetObjectW(GetStockObject(BLACK_BRUSH), sizeof(brush), &brush);
  EXPECT_EQ(brush.lbStyle, BS_SOLID);
  EXPECT_EQ(brush.lbColor, RGB(0, 0, 0));

  LOGFONTW font{};
  ASSERT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font), static_cast<int>(sizeof(font)));
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_EQ(std::u16string(font.lfFaceName), u"MS Shell Dlg");
  EXPECT_TRUE(DeleteObject(GetStockObject(DEFAULT_GUI_FONT)));  // stock objects survive deletion
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), OBJ_FONT);
}

TEST(DeviceContext, StaleAndForeignHandlesFailCleanly) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(DeleteDC(dc));
  int local = 0;
  const HDC bogus[] = {dc, reinterpret_cast<HDC>(&local), nullptr};
  for (HDC handle : bogus) {
    SetLastError(0);
    EXPECT_EQ(SaveDC(handle), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    RECT rect{0, 0, 1, 1};
    EXPECT_EQ(DrawTextW(handle, u"x", 1, &rect, 0), 0);
    EXPECT_FALSE(LineTo(handle, 1, 1));
  }
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(&local)));
}

TEST(SurfaceDC, DrawsIntoCallerPixelsWithItsStride) {
  constexpr int kStride = 8 * 4 + 16;  // rows padded beyond the width
  std::vector<std::uint8_t> pixels(kStride * 4, 0xAB);
  HDC dc = zv::CreateSurfaceDC(pixels.data(), 8, 4, kStride);
  ASSERT_NE(dc, nullptr);
  Fill(dc, RECT{0, 0, 8, 4}, RGB(0x11, 0x22, 0x33));
  std::uint32_t last;
  std::memcpy(&last, &pixels[3 * kStride + 7 * 4], 4);
  EXPECT_EQ(last, 0xFF112233u);
  EXPECT_EQ(pixels[3 * kStride + 8 * 4], 0xAB);  // padding untouched
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 1, 1);
  EXPECT_EQ(SelectObject(dc, bitmap), nullptr);  // a window DC takes no bitmap
  DeleteObject(bitmap);
  EXPECT_FALSE(DeleteDC(dc));  // it goes back through its window
  zv::DestroySurfaceDC(dc);
  EXPECT_EQ(GetObjectType(dc), 0u);
  EXPECT_EQ(zv::CreateSurfaceDC(pixels.data(), 8, 4, 16), nullptr);  // stride shorter than a row
}

TEST(SurfaceDC, VisibleRegionHoldsWhateverTheApplicationClips) {
  std::vector<std::uint32_t> pixels(8 * 8, 0);
  HDC dc = zv::CreateSurfaceDC(pixels.data(), 8, 8, 8 * 4);
  HRGN update = CreateRectRgn(2, 2, 6, 6);
  zv::SetSurfaceVisibleRegion(dc, update);
  DeleteObject(update);  // the DC keeps its own copy
  SelectClipRgn(dc, nullptr);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.bottom, 6);
  Fill(dc, RECT{0, 0, 8, 8}, RGB(255, 0, 0));
  EXPECT_EQ(pixels[1 * 8 + 1], 0u);
  EXPECT_EQ(pixels[2 * 8 + 2], kRed);
  EXPECT_EQ(pixels[5 * 8 + 5], kRed);
  EXPECT_EQ(pixels[6 * 8 + 6], 0u);
  zv::SetSurfaceVisibleRegion(dc, nullptr);
  Fill(dc, RECT{0, 0, 8, 8}, RGB(255, 0, 0));
  EXPECT_EQ(pixels[0], kRed);
  zv::DestroySurfaceDC(dc);
}

// A child window's DC: its device (0, 0) lies inside the top-level pixels, and
// everything the application does is relative to that.
TEST(SurfaceDC, OriginPlacesAChildWindowsCoordinates) {
  std::vector<std::uint32_t> pixels(10 * 10, 0);
  HDC dc = zv::CreateSurfaceDC(pixels.data(), 10, 10, 10 * 4);
  zv::SetSurfaceOrigin(dc, 4, 3);
  HRGN visible = CreateRectRgn(4, 3, 8, 7);  // the child's area, surface coordinates
  zv::SetSurfaceVisibleRegion(dc, visible);
  DeleteObject(visible);
  POINT origin{-1, -1};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 0);
  RECT box;
  GetClipBox(dc, &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 4);
  EXPECT_EQ(box.bottom, 4);
  HRGN clip = CreateRectRgn(1, 1, 3, 3);  // device coordinates of the child
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  Fill(dc, RECT{0, 0, 10, 10}, RGB(255, 0, 0));
  EXPECT_EQ(pixels[4 * 10 + 5], kRed);  // child (1, 1)
  EXPECT_EQ(pixels[5 * 10 + 6], kRed);  // child (2, 2)
  EXPECT_EQ(pixels[3 * 10 + 4], 0u);    // child (0, 0): clipped
  EXPECT_EQ(pixels[6 * 10 + 7], 0u);    // child (3, 3): clipped
  // Reading back goes through the same origin.
  Dib copy(2, 2);
  BitBlt(copy.dc(), 0, 0, 2, 2, dc, 1, 1, SRCCOPY);
  EXPECT_EQ(copy.At(0, 0), kRed);
  zv::DestroySurfaceDC(dc);
}

}  // namespace
