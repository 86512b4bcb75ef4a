#include "regions.h"

#include <algorithm>
#include <cmath>

#include "dc.h"
#include "zv/gdi_surface.h"

namespace zv::gdi {
namespace {

cairo_rectangle_int_t Ordered(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  return cairo_rectangle_int_t{left, top, right - left, bottom - top};
}

HRGN NewRegion(cairo_region_t* region) {
  auto* object = new Region();
  object->region = region;
  return static_cast<HRGN>(Register(object));
}

// The clip a combination starts from: the DC's clip region, or the whole surface
// when it has none (device coordinates).
cairo_region_t* CurrentClipOrSurface(const DC& dc) {
  if (dc.state.clip != nullptr) return cairo_region_copy(dc.state.clip);
  const cairo_rectangle_int_t bounds{-dc.deviceOrigin.x, -dc.deviceOrigin.y, TargetWidth(dc), TargetHeight(dc)};
  return cairo_region_create_rectangle(&bounds);
}

int SetClip(DC& dc, cairo_region_t* clip) {
  if (dc.state.clip != nullptr) cairo_region_destroy(dc.state.clip);
  dc.state.clip = clip;
  cairo_region_t* effective = EffectiveClip(dc);
  const int type = RegionType(effective);
  cairo_region_destroy(effective);
  return type;
}

cairo_rectangle_int_t DeviceRect(const DC& dc, int left, int top, int right, int bottom) {
  const POINT o = dc.state.origin;
  return Ordered(left + o.x, top + o.y, right + o.x, bottom + o.y);
}

}  // namespace

void AddRegionToPath(cairo_t* cr, const cairo_region_t* region) {
  const int count = cairo_region_num_rectangles(region);
  for (int i = 0; i < count; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region, i, &r);
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
  }
}

int RegionType(const cairo_region_t* region) {
  const int count = cairo_region_num_rectangles(region);
  return count == 0 ? NULLREGION : count == 1 ? SIMPLEREGION : COMPLEXREGION;
}

Region* FindRegion(HRGN handle) { return FindAs<Region>(handle, Kind::Region); }

}  // namespace zv::gdi

using namespace zv::gdi;

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
  const cairo_rectangle_int_t rect = Ordered(left, top, right, bottom);
  return NewRegion(cairo_region_create_rectangle(&rect));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* rect) {
  if (rect == nullptr) return Fail<HRGN>(ERROR_INVALID_PARAMETER, nullptr);
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

// The shape covers the box less its right column and bottom row, as on Windows
// (callers that want the whole box grow it by one pixel), with elliptic corners
// of the given width and height, row by row.
HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  const cairo_rectangle_int_t box = Ordered(left, top, right - 1, bottom - 1);
  cairo_region_t* region = cairo_region_create();
  const double rx = std::min(std::abs(ellipseWidth), box.width) / 2.0;
  const double ry = std::min(std::abs(ellipseHeight), box.height) / 2.0;
  for (int row = 0; row < box.height; ++row) {
    const double fromEdge = std::min(row, box.height - 1 - row) + 0.5;
    int inset = 0;
    if (rx > 0 && ry > 0 && fromEdge < ry) {
      const double dy = (ry - fromEdge) / ry;
      inset = static_cast<int>(std::lround(rx - rx * std::sqrt(1.0 - dy * dy)));
    }
    const cairo_rectangle_int_t span{box.x + inset, box.y + row, box.width - 2 * inset, 1};
    if (span.width > 0) cairo_region_union_rectangle(region, &span);
  }
  return NewRegion(region);
}

BOOL WINAPI SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
  Region* region = FindRegion(handle);
  if (region == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const cairo_rectangle_int_t rect = Ordered(left, top, right, bottom);
  cairo_region_destroy(region->region);
  region->region = cairo_region_create_rectangle(&rect);
  return TRUE;
}

int WINAPI CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  Region* target = FindRegion(dest);
  Region* first = FindRegion(src1);
  Region* second = mode == RGN_COPY ? first : FindRegion(src2);
  if (target == nullptr || first == nullptr || second == nullptr) return Fail(ERROR_INVALID_HANDLE, ERROR);
  cairo_region_t* result = cairo_region_copy(first->region);
  switch (mode) {
    case RGN_AND: cairo_region_intersect(result, second->region); break;
    case RGN_OR: cairo_region_union(result, second->region); break;
    case RGN_XOR: cairo_region_xor(result, second->region); break;
    case RGN_DIFF: cairo_region_subtract(result, second->region); break;
    case RGN_COPY: break;
    default:
      cairo_region_destroy(result);
      return Fail(ERROR_INVALID_PARAMETER, ERROR);
  }
  cairo_region_destroy(target->region);
  target->region = result;
  return RegionType(result);
}

int WINAPI OffsetRgn(HRGN handle, int dx, int dy) {
  Region* region = FindRegion(handle);
  if (region == nullptr) return Fail(ERROR_INVALID_HANDLE, ERROR);
  cairo_region_translate(region->region, dx, dy);
  return RegionType(region->region);
}

int WINAPI GetRgnBox(HRGN handle, LPRECT box) {
  Region* region = FindRegion(handle);
  if (region == nullptr || box == nullptr) return Fail(ERROR_INVALID_PARAMETER, ERROR);
  cairo_rectangle_int_t extents;
  cairo_region_get_extents(region->region, &extents);
  *box = RECT{extents.x, extents.y, extents.x + extents.width, extents.y + extents.height};
  return RegionType(region->region);
}

BOOL WINAPI PtInRegion(HRGN handle, int x, int y) {
  Region* region = FindRegion(handle);
  return region != nullptr && cairo_region_contains_point(region->region, x, y) ? TRUE : FALSE;
}

BOOL WINAPI RectInRegion(HRGN handle, const RECT* rect) {
  Region* region = FindRegion(handle);
  if (region == nullptr || rect == nullptr) return FALSE;
  const cairo_rectangle_int_t r = Ordered(rect->left, rect->top, rect->right, rect->bottom);
  return cairo_region_contains_rectangle(region->region, &r) != CAIRO_REGION_OVERLAP_OUT ? TRUE : FALSE;
}

BOOL WINAPI EqualRgn(HRGN a, HRGN b) {
  Region* first = FindRegion(a);
  Region* second = FindRegion(b);
  if (first == nullptr || second == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  return cairo_region_equal(first->region, second->region) ? TRUE : FALSE;
}

// The region is in device coordinates, not moved by the viewport origin. A null
// region is accepted with RGN_COPY only, and removes the clip region.
int WINAPI ExtSelectClipRgn(HDC hdc, HRGN handle, int mode) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, ERROR);
  if (handle == nullptr) {
    if (mode != RGN_COPY) return Fail(ERROR_INVALID_PARAMETER, ERROR);
    return SetClip(*dc, nullptr);
  }
  Region* region = FindRegion(handle);
  if (region == nullptr) return Fail(ERROR_INVALID_HANDLE, ERROR);
  if (mode == RGN_COPY) return SetClip(*dc, cairo_region_copy(region->region));
  cairo_region_t* clip = CurrentClipOrSurface(*dc);
  switch (mode) {
    case RGN_AND: cairo_region_intersect(clip, region->region); break;
    case RGN_OR: cairo_region_union(clip, region->region); break;
    case RGN_XOR: cairo_region_xor(clip, region->region); break;
    case RGN_DIFF: cairo_region_subtract(clip, region->region); break;
    default:
      cairo_region_destroy(clip);
      return Fail(ERROR_INVALID_PARAMETER, ERROR);
  }
  return SetClip(*dc, clip);
}

int WINAPI SelectClipRgn(HDC hdc, HRGN region) { return ExtSelectClipRgn(hdc, region, RGN_COPY); }

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, ERROR);
  cairo_region_t* clip = CurrentClipOrSurface(*dc);
  const cairo_rectangle_int_t rect = DeviceRect(*dc, left, top, right, bottom);
  cairo_region_intersect_rectangle(clip, &rect);
  return SetClip(*dc, clip);
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, ERROR);
  cairo_region_t* clip = CurrentClipOrSurface(*dc);
  const cairo_rectangle_int_t rect = DeviceRect(*dc, left, top, right, bottom);
  cairo_region_subtract_rectangle(clip, &rect);
  return SetClip(*dc, clip);
}

// The box is in logical coordinates and bounds everything drawing can reach: the
// surface, the window's visible region and the clip region together.
int WINAPI GetClipBox(HDC hdc, LPRECT box) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr || box == nullptr) return Fail(ERROR_INVALID_PARAMETER, ERROR);
  cairo_region_t* clip = EffectiveClip(*dc);
  cairo_rectangle_int_t extents;
  cairo_region_get_extents(clip, &extents);
  const int type = RegionType(clip);
  cairo_region_destroy(clip);
  const POINT o = SurfaceOrigin(*dc);
  *box = RECT{extents.x - o.x, extents.y - o.y, extents.x + extents.width - o.x, extents.y + extents.height - o.y};
  return type;
}

int WINAPI GetClipRgn(HDC hdc, HRGN handle) {
  DC* dc = FindDC(hdc);
  Region* region = FindRegion(handle);
  if (dc == nullptr || region == nullptr) return Fail(ERROR_INVALID_HANDLE, -1);
  if (dc->state.clip == nullptr) return 0;
  cairo_region_destroy(region->region);
  region->region = cairo_region_copy(dc->state.clip);
  return 1;
}

namespace zv {

std::vector<RECT> RegionRects(HRGN handle) {
  std::vector<RECT> rects;
  gdi::Region* region = gdi::FindRegion(handle);
  if (region == nullptr) return rects;
  const int count = cairo_region_num_rectangles(region->region);
  for (int i = 0; i < count; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region->region, i, &r);
    rects.push_back(RECT{r.x, r.y, r.x + r.width, r.y + r.height});
  }
  return rects;
}

HRGN CreateRegionFromRects(const std::vector<RECT>& rects) {
  cairo_region_t* region = cairo_region_create();
  for (const RECT& rect : rects) {
    const cairo_rectangle_int_t r = gdi::Ordered(rect.left, rect.top, rect.right, rect.bottom);
    cairo_region_union_rectangle(region, &r);
  }
  return gdi::NewRegion(region);
}

}  // namespace zv
