#include <gtest/gtest.h>

#include <vector>

#include "pixels.h"
#include "win/gdi.h"
#include "zv/gdi_surface.h"

namespace {

using zv::test::Dib;

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right || a[i].bottom != b[i].bottom) {
      return false;
    }
  }
  return true;
}

TEST(Region, CombineModes) {
  struct Case { int mode; int type; std::vector<RECT> rects; };
  // (0,0,4,4) with (2,0,6,4): side by side, overlapping in columns 2 and 3.
  const Case cases[] = {
      {RGN_AND, SIMPLEREGION, {{2, 0, 4, 4}}},
      {RGN_OR, SIMPLEREGION, {{0, 0, 6, 4}}},
      {RGN_XOR, COMPLEXREGION, {{0, 0, 2, 4}, {4, 0, 6, 4}}},
      {RGN_DIFF, SIMPLEREGION, {{0, 0, 2, 4}}},
      {RGN_COPY, SIMPLEREGION, {{0, 0, 4, 4}}},
  };
  for (const Case& c : cases) {
    HRGN a = CreateRectRgn(0, 0, 4, 4);
    HRGN b = CreateRectRgn(2, 0, 6, 4);
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(result, a, b, c.mode), c.type) << c.mode;
    EXPECT_TRUE(SameRects(zv::RegionRects(result), c.rects)) << c.mode;
    for (HRGN r : {a, b, result}) DeleteObject(r);
  }
  HRGN a = CreateRectRgn(0, 0, 2, 2);
  HRGN empty = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(empty, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(empty, a, a, 99), ERROR);
  EXPECT_TRUE(zv::RegionRects(empty).empty());
  DeleteObject(a);
  DeleteObject(empty);
}

TEST(Region, RectsRoundTripAndQueries) {
  const std::vector<RECT> rects = {{0, 0, 10, 5}, {0, 5, 3, 10}};
  HRGN region = zv::CreateRegionFromRects(rects);
  EXPECT_TRUE(SameRects(zv::RegionRects(region), rects));
  EXPECT_TRUE(PtInRegion(region, 2, 9));
  EXPECT_FALSE(PtInRegion(region, 5, 9));
  EXPECT_FALSE(PtInRegion(region, 10, 0));  // right edges are outside
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), COMPLEXREGION);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 10);
  OffsetRgn(region, 5, 5);
  EXPECT_TRUE(PtInRegion(region, 7, 14));
  DeleteObject(region);
}

TEST(Region, RoundRectRegionLeavesCornersAndTheLastRowAndColumnOut) {
  // The toolkit grows the window box by one pixel to get exactly the window's area.
  HRGN region = CreateRoundRectRgn(0, 0, 101, 51, 8, 8);
  RECT box;
  GetRgnBox(region, &box);
  EXPECT_EQ(box.right, 100);
  EXPECT_EQ(box.bottom, 50);
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_FALSE(PtInRegion(region, 99, 49));
  EXPECT_TRUE(PtInRegion(region, 4, 0));
  EXPECT_TRUE(PtInRegion(region, 0, 25));
  EXPECT_TRUE(PtInRegion(region, 99, 25));
  EXPECT_TRUE(PtInRegion(region, 50, 49));
  DeleteObject(region);
}

TEST(Clip, SelectionModesAndQueries) {
  Dib dib(10, 10);
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dib.dc(), probe), 0);  // none selected
  HRGN left = CreateRectRgn(0, 0, 5, 10);
  EXPECT_EQ(SelectClipRgn(dib.dc(), left), SIMPLEREGION);
  HRGN top = CreateRectRgn(0, 0, 10, 5);
  EXPECT_EQ(ExtSelectClipRgn(dib.dc(), top, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(ExtSelectClipRgn(dib.dc(), top, RGN_DIFF), SIMPLEREGION);  // left half, bottom half
  EXPECT_EQ(GetClipRgn(dib.dc(), probe), 1);
  EXPECT_TRUE(SameRects(zv::RegionRects(probe), {{0, 5, 5, 10}}));
  EXPECT_EQ(IntersectClipRect(dib.dc(), 3, 0, 10, 10), SIMPLEREGION);
  RECT box;
  GetClipBox(dib.dc(), &box);
  EXPECT_EQ(box.left, 3);
  EXPECT_EQ(box.top, 5);
  EXPECT_EQ(box.right, 5);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_EQ(ExtSelectClipRgn(dib.dc(), nullptr, RGN_AND), ERROR);
  EXPECT_EQ(SelectClipRgn(dib.dc(), nullptr), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(dib.dc(), probe), 0);
  for (HRGN r : {probe, left, top}) DeleteObject(r);
}

TEST(Clip, DrawingStaysInsideTheClipAndTheRegionIsCopied) {
  Dib dib(6, 6);
  HRGN region = CreateRectRgn(1, 1, 3, 3);
  SelectClipRgn(dib.dc(), region);
  SetRectRgn(region, 0, 0, 6, 6);  // changing the region later does not move the clip
  ExcludeClipRect(dib.dc(), 2, 2, 3, 3);
  HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
  const RECT all{0, 0, 6, 6};
  FillRect(dib.dc(), &all, brush);
  EXPECT_EQ(dib.Picture(0xFF00FF00),
            "......\n"
            ".##...\n"
            ".#....\n"
            "......\n"
            "......\n"
            "......\n");
  DeleteObject(brush);
  DeleteObject(region);
}

TEST(Clip, ClipRectsFollowTheViewportOriginButRegionsDoNot) {
  Dib dib(6, 1);
  SetViewportOrgEx(dib.dc(), 2, 0, nullptr);
  IntersectClipRect(dib.dc(), 0, 0, 2, 1);  // logical 0..2 is device 2..4
  HRGN region = CreateRectRgn(0, 0, 3, 1);  // device 0..3
  ExtSelectClipRgn(dib.dc(), region, RGN_AND);
  RECT box;
  GetClipBox(dib.dc(), &box);
  EXPECT_EQ(box.left, 0);   // logical: device column 2
  EXPECT_EQ(box.right, 1);  // device column 3 (exclusive), logical 1
  DeleteObject(region);
}

}  // namespace
