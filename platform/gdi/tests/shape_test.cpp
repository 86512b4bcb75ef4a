#include <gtest/gtest.h>

#include "pixels.h"
#include "win/gdi.h"

namespace {

using zv::test::Dib;

constexpr std::uint32_t kInk = 0xFF7D8EAC;
constexpr COLORREF kInkRef = RGB(0x7D, 0x8E, 0xAC);

class Shapes : public ::testing::Test {
 protected:
  void Use(int style, int width) {
    pen_ = CreatePen(style, width, kInkRef);
    previousPen_ = SelectObject(dib_.dc(), pen_);
    previousBrush_ = SelectObject(dib_.dc(), GetStockObject(NULL_BRUSH));
  }
  void TearDown() override {
    if (pen_ != nullptr) {
      SelectObject(dib_.dc(), previousPen_);
      SelectObject(dib_.dc(), previousBrush_);
      DeleteObject(pen_);
    }
  }
  Dib dib_{8, 6};
  HPEN pen_ = nullptr;
  HGDIOBJ previousPen_ = nullptr;
  HGDIOBJ previousBrush_ = nullptr;
};

TEST_F(Shapes, OnePixelLinesCoverTheStartAndNotTheEnd) {
  Use(PS_SOLID, 1);
  MoveToEx(dib_.dc(), 1, 1, nullptr);
  LineTo(dib_.dc(), 6, 1);
  LineTo(dib_.dc(), 6, 4);  // continues from the current position
  MoveToEx(dib_.dc(), 0, 5, nullptr);
  LineTo(dib_.dc(), 3, 2);  // diagonal, up
  EXPECT_EQ(dib_.Picture(kInk),
            "........\n"
            ".######.\n"
            "......#.\n"
            "..#...#.\n"
            ".#......\n"
            "#.......\n");
}

TEST_F(Shapes, FramesOfInsideFramePensLieInsideTheRectangle) {
  Use(PS_INSIDEFRAME, 2);
  Rectangle(dib_.dc(), 1, 0, 8, 6);
  EXPECT_EQ(dib_.Picture(kInk),
            ".#######\n"
            ".#######\n"
            ".##...##\n"
            ".##...##\n"
            ".#######\n"
            ".#######\n");
}

TEST_F(Shapes, OnePixelFrameWithNullBrushLeavesTheInside) {
  Use(PS_SOLID, 0);  // width 0 draws one pixel wide
  dib_.Fill(0xFFFFFFFF);
  Rectangle(dib_.dc(), 0, 0, 4, 3);
  EXPECT_EQ(dib_.Picture(kInk),
            "####....\n"
            "#..#....\n"
            "####....\n"
            "........\n"
            "........\n"
            "........\n");
  EXPECT_EQ(dib_.At(1, 1), 0xFFFFFFFFu);
}

TEST_F(Shapes, RectangleFillsWithTheBrushAndNullPenDrawsOnePixelSmaller) {
  HBRUSH brush = CreateSolidBrush(kInkRef);
  HGDIOBJ previousBrush = SelectObject(dib_.dc(), brush);
  HGDIOBJ previousPen = SelectObject(dib_.dc(), GetStockObject(NULL_PEN));
  Rectangle(dib_.dc(), 0, 0, 4, 3);
  EXPECT_EQ(dib_.InkBox(0).right, 3);
  EXPECT_EQ(dib_.InkBox(0).bottom, 2);
  SelectObject(dib_.dc(), previousPen);
  SelectObject(dib_.dc(), previousBrush);
  DeleteObject(brush);
}

TEST_F(Shapes, FillRectCoversExactlyLeftTopToRightBottom) {
  HBRUSH brush = CreateSolidBrush(kInkRef);
  const RECT rect{2, 1, 5, 3};
  EXPECT_NE(FillRect(dib_.dc(), &rect, brush), 0);
  EXPECT_EQ(dib_.InkBox(0).left, 2);
  EXPECT_EQ(dib_.InkBox(0).top, 1);
  EXPECT_EQ(dib_.InkBox(0).right, 5);
  EXPECT_EQ(dib_.InkBox(0).bottom, 3);
  EXPECT_EQ(dib_.At(2, 1), kInk);  // opaque
  EXPECT_NE(FillRect(dib_.dc(), &rect, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 0);
  DeleteObject(brush);
}

TEST_F(Shapes, RoundRectCutsItsCornersAndKeepsStraightEdgesCrisp) {
  Dib big(40, 20);
  HPEN pen = CreatePen(PS_INSIDEFRAME, 1, kInkRef);
  HGDIOBJ previousPen = SelectObject(big.dc(), pen);
  HGDIOBJ previousBrush = SelectObject(big.dc(), GetStockObject(NULL_BRUSH));
  RoundRect(big.dc(), 0, 0, 40, 20, 10, 10);
  EXPECT_EQ(big.At(0, 0), 0u);    // the corner is cut
  EXPECT_EQ(big.At(39, 19), 0u);
  EXPECT_EQ(big.At(20, 0), kInk);  // straight edges on the rectangle's outer pixels
  EXPECT_EQ(big.At(20, 19), kInk);
  EXPECT_EQ(big.At(0, 10), kInk);
  EXPECT_EQ(big.At(39, 10), kInk);
  EXPECT_EQ(big.At(20, 1), 0u);    // one pixel wide
  EXPECT_EQ(big.At(20, 10), 0u);   // null brush: hollow
  for (int x = 0; x < 40; ++x) {
    for (int y = 0; y < 20; ++y) {
      const std::uint32_t p = big.At(x, y);
      EXPECT_TRUE(p == 0 || p == kInk) << "antialiased pixel at " << x << "," << y;
    }
  }
  SelectObject(big.dc(), previousPen);
  SelectObject(big.dc(), previousBrush);
  DeleteObject(pen);
}

TEST_F(Shapes, StyledPensDrawTheirDashes) {
  Dib line(24, 1);
  HPEN dotted = CreatePen(PS_DOT, 1, kInkRef);
  HGDIOBJ previous = SelectObject(line.dc(), dotted);
  MoveToEx(line.dc(), 0, 0, nullptr);
  LineTo(line.dc(), 24, 0);
  EXPECT_EQ(line.Picture(kInk), "###...###...###...###...\n");
  SelectObject(line.dc(), previous);
  DeleteObject(dotted);
}

TEST_F(Shapes, FrameRectDrawsOnePixelWithTheBrush) {
  HBRUSH brush = CreateSolidBrush(kInkRef);
  const RECT rect{1, 1, 5, 4};
  EXPECT_NE(FrameRect(dib_.dc(), &rect, brush), 0);
  EXPECT_EQ(dib_.Picture(kInk),
            "........\n"
            ".####...\n"
            ".#..#...\n"
            ".####...\n"
            "........\n"
            "........\n");
  DeleteObject(brush);
}

TEST_F(Shapes, WidePenLinesAreCentredOnThePath) {
  Use(PS_SOLID, 3);
  MoveToEx(dib_.dc(), 0, 3, nullptr);
  LineTo(dib_.dc(), 8, 3);
  for (int x = 2; x < 6; ++x) {
    EXPECT_EQ(dib_.At(x, 2), kInk);
    EXPECT_EQ(dib_.At(x, 3), kInk);
    EXPECT_EQ(dib_.At(x, 4), kInk);
    EXPECT_EQ(dib_.At(x, 5), 0u);
  }
}

}  // namespace
