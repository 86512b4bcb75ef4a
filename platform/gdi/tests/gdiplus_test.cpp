#include <gtest/gtest.h>

#include "gdiplus.h"
#include "pixels.h"

namespace {

using zv::test::Dib;

TEST(Gdiplus, StartupChecksItsInput) {
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  EXPECT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
  EXPECT_NE(token, 0u);
  Gdiplus::GdiplusShutdown(token);
  input.GdiplusVersion = 2;
  EXPECT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::UnsupportedGdiplusVersion);
  EXPECT_EQ(Gdiplus::GdiplusStartup(nullptr, &input, nullptr), Gdiplus::InvalidParameter);
}

// The fill blends straight ARGB over the destination: each premultiplied
// channel becomes colour * a + destination * (1 - a).
TEST(Gdiplus, SolidFillBlendsWithWhatIsBeneath) {
  struct Case { Gdiplus::ARGB fill; std::uint32_t below; std::uint32_t expected; };
  const Case cases[] = {
      {0xFF17212E, 0xFFFFFFFF, 0xFF17212E},  // opaque replaces
      {0x80FFFFFF, 0xFF000000, 0xFF808080},  // half white over black
      {0x807D8EAC, 0x00000000, 0x803F4756},  // over nothing: premultiplied
      {0x00FF0000, 0xFF123456, 0xFF123456},  // fully transparent changes nothing
  };
  for (const Case& c : cases) {
    Dib dib(4, 4);
    dib.Fill(c.below);
    Gdiplus::Graphics graphics(dib.dc());
    Gdiplus::SolidBrush brush{Gdiplus::Color(c.fill)};
    ASSERT_EQ(graphics.FillRectangle(&brush, 1, 1, 2, 2), Gdiplus::Ok);
    for (int shift : {0, 8, 16, 24}) {
      EXPECT_NEAR((dib.At(1, 1) >> shift) & 0xFF, (c.expected >> shift) & 0xFF, 1) << std::hex << c.fill;
    }
    EXPECT_EQ(dib.At(0, 0), c.below);
    EXPECT_EQ(dib.At(3, 3), c.below);
    EXPECT_NE(dib.At(2, 2) == c.below, c.fill != 0x00FF0000 && c.fill >> 24 != 0);
  }
}

TEST(Gdiplus, FillHonoursTheClipAndRefusesBadArguments) {
  Dib dib(4, 1);
  IntersectClipRect(dib.dc(), 0, 0, 2, 1);
  Gdiplus::Graphics graphics(dib.dc());
  Gdiplus::SolidBrush brush{Gdiplus::Color(255, 255, 0, 0)};
  graphics.FillRectangle(&brush, Gdiplus::Rect(0, 0, 4, 1));
  EXPECT_EQ(dib.At(1, 0), 0xFFFF0000u);
  EXPECT_EQ(dib.At(2, 0), 0u);
  EXPECT_EQ(graphics.FillRectangle(nullptr, 0, 0, 1, 1), Gdiplus::InvalidParameter);
  EXPECT_EQ(graphics.GetLastStatus(), Gdiplus::InvalidParameter);
  EXPECT_EQ(graphics.GetLastStatus(), Gdiplus::Ok);
  Gdiplus::Graphics orphan(nullptr);
  EXPECT_EQ(orphan.FillRectangle(&brush, 0, 0, 1, 1), Gdiplus::InvalidParameter);
}

}  // namespace
