// Copies between device contexts: BitBlt, StretchBlt and AlphaBlend. The pixels
// of both sides are Cairo ARGB32 (premultiplied), so a copy is SOURCE, an alpha
// blend is OVER, and COLORONCOLOR stretching is nearest-pixel sampling.
#include "dc.h"

namespace zv::gdi {
namespace {

struct Area {
  int x, y, width, height;
};

struct BlitStyle {
  cairo_operator_t op;
  cairo_filter_t filter;
  double alpha;        // constant opacity applied to every source pixel
  bool opaqueSource;   // the source's alpha bytes are ignored
};

cairo_surface_t* SourceSurface(const DC& src, bool opaque) {
  cairo_surface_t* surface = TargetOf(src);
  cairo_surface_flush(surface);
  cairo_surface_mark_dirty(surface);
  if (!opaque) return cairo_surface_reference(surface);
  // The same bytes read as RGB24: every pixel counts as opaque.
  return cairo_image_surface_create_for_data(cairo_image_surface_get_data(surface), CAIRO_FORMAT_RGB24,
                                             cairo_image_surface_get_width(surface),
                                             cairo_image_surface_get_height(surface),
                                             cairo_image_surface_get_stride(surface));
}

// A private copy of the source when it is also the target, so that overlapping
// copies read the pixels as they were before the copy began.
cairo_surface_t* Detached(cairo_surface_t* source, cairo_surface_t* target) {
  if (cairo_image_surface_get_data(source) != cairo_image_surface_get_data(target)) return source;
  cairo_surface_t* copy = cairo_surface_create_similar_image(source, cairo_image_surface_get_format(source),
                                                             cairo_image_surface_get_width(source),
                                                             cairo_image_surface_get_height(source));
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(source);
  return copy;
}

// Draws the source area (logical coordinates of `src`) into the destination area
// (logical coordinates of `dest`); negative sizes mirror. Only the part of the
// destination that the source area maps from existing source pixels is touched.
void Blit(const DC& dest, Area to, const DC& src, Area from, const BlitStyle& style) {
  const POINT origin = SurfaceOrigin(src);
  const double sx = from.x + origin.x;
  const double sy = from.y + origin.y;
  const double scaleX = static_cast<double>(from.width) / to.width;
  const double scaleY = static_cast<double>(from.height) / to.height;
  Canvas canvas(dest);
  cairo_t* cr = canvas.get();
  cairo_surface_t* source = Detached(SourceSurface(src, style.opaqueSource), TargetOf(dest));
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
  cairo_matrix_t matrix;
  cairo_matrix_init(&matrix, scaleX, 0, 0, scaleY, sx - to.x * scaleX, sy - to.y * scaleY);
  cairo_pattern_set_matrix(pattern, &matrix);
  cairo_pattern_set_filter(pattern, style.filter);
  // Padding keeps averaged edge pixels from mixing with nothing; drawing is cut
  // to the source's own pixels below.
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  // The destination area, cut to where the source has pixels.
  cairo_rectangle(cr, to.x, to.y, to.width, to.height);
  cairo_clip(cr);
  cairo_matrix_t toDestination = matrix;
  cairo_matrix_invert(&toDestination);
  cairo_save(cr);
  cairo_transform(cr, &toDestination);
  cairo_rectangle(cr, 0, 0, cairo_image_surface_get_width(source), cairo_image_surface_get_height(source));
  cairo_restore(cr);
  cairo_clip(cr);
  cairo_set_operator(cr, style.op);
  cairo_set_source(cr, pattern);
  if (style.alpha >= 1.0) {
    cairo_paint(cr);
  } else {
    cairo_paint_with_alpha(cr, style.alpha);
  }
  cairo_pattern_destroy(pattern);
  cairo_surface_destroy(source);
}

}  // namespace
}  // namespace zv::gdi

using namespace zv::gdi;

BOOL WINAPI BitBlt(HDC destDC, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, DWORD rop) {
  DC* dest = FindDC(destDC);
  DC* src = FindDC(srcDC);
  if (dest == nullptr || src == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (rop != SRCCOPY) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (width == 0 || height == 0) return TRUE;
  Blit(*dest, Area{x, y, width, height}, *src, Area{srcX, srcY, width, height},
       BlitStyle{CAIRO_OPERATOR_SOURCE, CAIRO_FILTER_NEAREST, 1.0, false});
  return TRUE;
}

// HALFTONE averages; every other mode picks the nearest source pixel, which is
// what COLORONCOLOR does and what the other two do for colour bitmaps.
BOOL WINAPI StretchBlt(HDC destDC, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int srcWidth,
                       int srcHeight, DWORD rop) {
  DC* dest = FindDC(destDC);
  DC* src = FindDC(srcDC);
  if (dest == nullptr || src == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (rop != SRCCOPY) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return TRUE;
  const cairo_filter_t filter = dest->state.stretchMode == HALFTONE ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST;
  Blit(*dest, Area{x, y, width, height}, *src, Area{srcX, srcY, srcWidth, srcHeight},
       BlitStyle{CAIRO_OPERATOR_SOURCE, filter, 1.0, false});
  return TRUE;
}

// The source pixels are premultiplied (AC_SRC_ALPHA) or taken as opaque; the
// constant alpha applies on top; stretching always picks the nearest pixel. The
// source area must lie inside the source surface, as on Windows.
BOOL WINAPI AlphaBlend(HDC destDC, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int srcWidth,
                       int srcHeight, BLENDFUNCTION blend) {
  DC* dest = FindDC(destDC);
  DC* src = FindDC(srcDC);
  if (dest == nullptr || src == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (blend.BlendOp != AC_SRC_OVER || blend.BlendFlags != 0 || (blend.AlphaFormat & ~AC_SRC_ALPHA) != 0 ||
      width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) {
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  const POINT origin = SurfaceOrigin(*src);
  const int left = srcX + origin.x;
  const int top = srcY + origin.y;
  if (left < 0 || top < 0 || left + srcWidth > TargetWidth(*src) || top + srcHeight > TargetHeight(*src)) {
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return TRUE;
  Blit(*dest, Area{x, y, width, height}, *src, Area{srcX, srcY, srcWidth, srcHeight},
       BlitStyle{CAIRO_OPERATOR_OVER, CAIRO_FILTER_NEAREST, blend.SourceConstantAlpha / 255.0,
                 (blend.AlphaFormat & AC_SRC_ALPHA) == 0});
  return TRUE;
}

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, 0);
  if (mode < BLACKONWHITE || mode > HALFTONE) return Fail(ERROR_INVALID_PARAMETER, 0);
  const int previous = dc->state.stretchMode;
  dc->state.stretchMode = mode;
  return previous;
}

int WINAPI GetStretchBltMode(HDC hdc) {
  DC* dc = FindDC(hdc);
  return dc != nullptr ? dc->state.stretchMode : Fail(ERROR_INVALID_HANDLE, 0);
}
