#include <gtest/gtest.h>

#include <cstdlib>

#include "pixels.h"
#include "win/gdi.h"
#include "win/kernel.h"

namespace {

using zv::test::Dib;

// A source whose every pixel tells its position: 0xFF, x, y, 0x40.
void Numbered(Dib& dib) {
  for (int y = 0; y < dib.height(); ++y) {
    for (int x = 0; x < dib.width(); ++x) dib.Set(x, y, 0xFF000040u | (x << 16) | (y << 8));
  }
}

int XOf(std::uint32_t pixel) { return (pixel >> 16) & 0xFF; }

TEST(Blit, BitBltCopiesWithBothOriginsAndTheClip) {
  Dib source(8, 8);
  Numbered(source);
  Dib dest(8, 8);
  SetViewportOrgEx(source.dc(), 1, 0, nullptr);  // logical (2, 3) is device (3, 3) in the source
  SetViewportOrgEx(dest.dc(), 0, 2, nullptr);    // logical (1, 1) is device (1, 3) in the destination
  IntersectClipRect(dest.dc(), 0, 0, 3, 8);      // logical columns 0 to 2 only
  ASSERT_TRUE(BitBlt(dest.dc(), 1, 1, 4, 2, source.dc(), 2, 3, SRCCOPY));
  EXPECT_EQ(dest.At(1, 3), source.At(3, 3));
  EXPECT_EQ(dest.At(2, 4), source.At(4, 4));
  EXPECT_EQ(dest.At(3, 3), 0u);  // clipped
  EXPECT_EQ(dest.At(1, 2), 0u);  // above the area
  EXPECT_FALSE(BitBlt(dest.dc(), 0, 0, 1, 1, source.dc(), 0, 0, 0x00EE0086));  // only SRCCOPY exists here
}

TEST(Blit, OverlappingCopyWithinOneBitmapReadsTheOldPixels) {
  Dib dib(6, 1);
  Numbered(dib);
  const std::uint32_t first = dib.At(0, 0);
  const std::uint32_t second = dib.At(1, 0);
  ASSERT_TRUE(BitBlt(dib.dc(), 1, 0, 5, 1, dib.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dib.At(1, 0), first);
  EXPECT_EQ(dib.At(2, 0), second);
}

// The source index under the centre of destination pixel `i`; `lowerOnTie`
// picks the lower neighbour when the centre falls on a border between two.
int NearestSource(int i, int sourceSize, int destSize, int lowerOnTie) {
  const int numerator = (2 * i + 1) * sourceSize;
  const int denominator = 2 * destSize;
  const int index = numerator / denominator;
  return numerator % denominator == 0 && lowerOnTie != 0 && index > 0 ? index - 1 : index;
}

TEST(Blit, StretchWithColorOnColorPicksNearestPixelsWithoutBlending) {
  struct Case { int srcW, srcH, dstW, dstH; };
  const Case cases[] = {{4, 4, 8, 8}, {6, 6, 4, 4}, {500, 340, 500, 310}, {5, 3, 13, 7}};
  for (const Case& c : cases) {
    Dib source(c.srcW, c.srcH);
    Numbered(source);
    Dib dest(c.dstW, c.dstH);
    SetStretchBltMode(dest.dc(), COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, c.dstW, c.dstH, source.dc(), 0, 0, c.srcW, c.srcH, SRCCOPY));
    for (int y = 0; y < c.dstH; ++y) {
      for (int x = 0; x < c.dstW; ++x) {
        // The source pixel whose area holds the destination pixel's centre,
        // unblended; a centre on the border of two may take either.
        const std::uint32_t p = dest.At(x, y);
        const bool matches = p == source.At(NearestSource(x, c.srcW, c.dstW, 0), NearestSource(y, c.srcH, c.dstH, 0)) ||
                             p == source.At(NearestSource(x, c.srcW, c.dstW, 1), NearestSource(y, c.srcH, c.dstH, 1)) ||
                             p == source.At(NearestSource(x, c.srcW, c.dstW, 0), NearestSource(y, c.srcH, c.dstH, 1)) ||
                             p == source.At(NearestSource(x, c.srcW, c.dstW, 1), NearestSource(y, c.srcH, c.dstH, 0));
        ASSERT_TRUE(matches) << c.srcW << "x" << c.srcH << " at " << x << "," << y;
      }
    }
  }
}

TEST(Blit, HalftoneStretchAverages) {
  Dib source(2, 1);
  source.Set(0, 0, 0xFF000000);
  source.Set(1, 0, 0xFFFFFFFF);
  Dib dest(8, 1);
  SetStretchBltMode(dest.dc(), HALFTONE);
  ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 8, 1, source.dc(), 0, 0, 2, 1, SRCCOPY));
  const int middle = dest.At(4, 0) & 0xFF;
  EXPECT_GT(middle, 0x20);
  EXPECT_LT(middle, 0xE0);
  EXPECT_EQ(dest.At(0, 0), 0xFF000000u);  // the edges keep their colours
  EXPECT_EQ(dest.At(7, 0), 0xFFFFFFFFu);
}

TEST(Blit, StretchMirrorsWithNegativeSizes) {
  Dib source(4, 1);
  Numbered(source);
  Dib dest(4, 1);
  ASSERT_TRUE(StretchBlt(dest.dc(), 4, 0, -4, 1, source.dc(), 0, 0, 4, 1, SRCCOPY));
  EXPECT_EQ(XOf(dest.At(0, 0)), 3);
  EXPECT_EQ(XOf(dest.At(3, 0)), 0);
}

// Per-pixel premultiplied alpha with constant alpha: each channel becomes
// src * k + dst * (1 - srcAlpha * k), k = constant / 255.
TEST(Blit, AlphaBlendWithPerPixelAndConstantAlpha) {
  struct Case { std::uint32_t src; BYTE constant; std::uint32_t dst; };
  const Case cases[] = {
      {0xFF102030, 255, 0xFFFFFFFF},  // opaque source replaces
      {0x00000000, 255, 0xFF336699},  // transparent source leaves the destination
      {0x80400000, 255, 0xFF0000FF},  // half-transparent red-ish over blue
      {0xFF808080, 128, 0xFF000000},  // opaque grey at half strength
      {0x80800000, 128, 0xFFFFFFFF},
      {0x80800000, 255, 0x00000000},  // over transparent: stays premultiplied
  };
  for (const Case& c : cases) {
    Dib source(1, 1);
    Dib dest(1, 1);
    source.Set(0, 0, c.src);
    dest.Set(0, 0, c.dst);
    ASSERT_TRUE(AlphaBlend(dest.dc(), 0, 0, 1, 1, source.dc(), 0, 0, 1, 1,
                           BLENDFUNCTION{AC_SRC_OVER, 0, c.constant, AC_SRC_ALPHA}));
    const double k = c.constant / 255.0;
    const double srcAlpha = (c.src >> 24) / 255.0;
    for (int shift : {0, 8, 16, 24}) {
      const double s = (c.src >> shift) & 0xFF;
      const double d = (c.dst >> shift) & 0xFF;
      const double expected = s * k + d * (1 - srcAlpha * k);
      EXPECT_NEAR((dest.At(0, 0) >> shift) & 0xFF, expected, 1.0) << std::hex << c.src << " shift " << shift;
    }
  }
}

TEST(Blit, AlphaBlendWithoutSourceAlphaTreatsSourceAsOpaque) {
  Dib source(1, 1);
  Dib dest(1, 1);
  source.Set(0, 0, 0x00FF0000);  // alpha byte 0, yet red
  dest.Set(0, 0, 0xFF0000FF);
  ASSERT_TRUE(AlphaBlend(dest.dc(), 0, 0, 1, 1, source.dc(), 0, 0, 1, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 255, 0}));
  EXPECT_EQ(dest.At(0, 0), 0xFFFF0000u);
}

TEST(Blit, AlphaBlendStretchesNearestAndChecksTheSourceArea) {
  Dib source(2, 1);
  source.Set(0, 0, 0xFFFF0000);
  source.Set(1, 0, 0x80000080);
  Dib dest(4, 1);
  dest.Fill(0xFF000000);
  SetStretchBltMode(dest.dc(), HALFTONE);  // AlphaBlend stretches nearest whatever the mode
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ASSERT_TRUE(AlphaBlend(dest.dc(), 0, 0, 4, 1, source.dc(), 0, 0, 2, 1, blend));
  EXPECT_EQ(dest.At(1, 0), 0xFFFF0000u);
  EXPECT_EQ(dest.At(2, 0), 0xFF000080u);
  SetLastError(0);
  EXPECT_FALSE(AlphaBlend(dest.dc(), 0, 0, 4, 1, source.dc(), 1, 0, 2, 1, blend));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(AlphaBlend(dest.dc(), 0, 0, 4, 1, source.dc(), 0, 0, 2, 1, BLENDFUNCTION{1, 0, 255, AC_SRC_ALPHA}));
}

}  // namespace
