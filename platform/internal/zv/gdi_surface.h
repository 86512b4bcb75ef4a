// What the other parts of the platform layer need from the gdi part to paint
// windows: device contexts on pixel memory they own, and access to regions.
// Only the platform layer includes this header.
#pragma once

#include <vector>

#include "win/base.h"
#include "win/gdi.h"

namespace zv {

// A device context that draws into caller-owned 32-bit pixels: premultiplied
// blue, green, red, alpha bytes, top-down rows `strideBytes` apart (Cairo's
// ARGB32 layout). It acts as a window's device context: no bitmap can be
// selected into it, and the pixels must outlive it. Null on bad arguments.
HDC CreateSurfaceDC(void* bgraPixels, int width, int height, int strideBytes);

// Releases a device context made by CreateSurfaceDC (the pixels stay the caller's).
void DestroySurfaceDC(HDC hdc);

// Places the DC's device coordinates on the surface: device (0, 0) is surface
// (x, y), as a child window's DC starts at the child's place in its top-level
// window. Clip regions, the viewport origin and GetClipBox stay relative to it,
// as the application expects; only the visible region is in surface coordinates.
void SetSurfaceOrigin(HDC hdc, int x, int y);

// Restricts every drawing on the DC to `region` (surface coordinates), like the
// visible region of a window that BeginPaint restricts to the update region. It
// is independent of the clip region the application selects: SelectClipRgn(hdc,
// nullptr) does not lift it, and GetClipBox reports their intersection. The
// region is copied; null lifts the restriction.
void SetSurfaceVisibleRegion(HDC hdc, HRGN region);

// The region's rectangles, in bands from top to bottom, left to right within a
// band; empty for an empty or invalid region.
std::vector<RECT> RegionRects(HRGN region);

// Makes a region that is the union of `rects` (the inverse of RegionRects).
HRGN CreateRegionFromRects(const std::vector<RECT>& rects);

}  // namespace zv
