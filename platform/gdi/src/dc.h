// Device contexts: the drawing state (selected objects, colours, modes, origin,
// clip) over a Cairo image surface, which is either a bitmap selected into a
// memory DC or pixel memory of another part of the layer (a window's surface).
#pragma once

#include <cairo.h>

#include <vector>

#include "objects.h"

namespace zv::gdi {

struct DcState {
  Bitmap* bitmap = nullptr;
  Pen* pen = nullptr;
  Brush* brush = nullptr;
  Font* font = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  POINT position{0, 0};
  POINT origin{0, 0};
  cairo_region_t* clip = nullptr;  // device coordinates; null: no clip region
};

struct DC : Object {
  DC() : Object(Kind::DC) {}
  ~DC() override;
  DcState state;
  std::vector<DcState> saved;
  // Set for a DC on another part's pixels (CreateSurfaceDC); such a DC takes no bitmap.
  cairo_surface_t* surface = nullptr;
  cairo_region_t* visible = nullptr;  // surface coordinates; null: the whole surface
  // Where the DC's device coordinates start on the surface (a child window's
  // place in its top-level window's pixels); the application never sees it.
  POINT deviceOrigin{0, 0};
};

DC* FindDC(HDC hdc);
// The surface a DC draws into.
cairo_surface_t* TargetOf(const DC& dc);
int TargetWidth(const DC& dc);
int TargetHeight(const DC& dc);
// Where logical (0, 0) lies on the surface: the device origin plus the viewport origin.
POINT SurfaceOrigin(const DC& dc);

// The region all drawing is limited to, in surface coordinates: surface bounds ∩
// visible region ∩ clip region. The caller destroys it.
cairo_region_t* EffectiveClip(const DC& dc);

// A Cairo context for one drawing operation on a DC: clipped to the DC's
// effective clip, translated by its origin. Pixel memory that callers may have
// written directly (DIB sections) is re-read, and drawing is flushed back to
// memory when the canvas ends.
class Canvas {
 public:
  explicit Canvas(const DC& dc);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  cairo_t* get() const { return cr_; }
  // Further restricts drawing to a rectangle in logical coordinates.
  void ClipTo(const RECT& rect);

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

void SetSourceColor(cairo_t* cr, COLORREF color);

}  // namespace zv::gdi
