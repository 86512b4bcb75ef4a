// Pens, brushes, lines and shapes, drawn pixel-exact without antialiasing, as
// GDI draws them: a one-pixel line covers its start point and not its end point,
// a frame of a pen of width w lies on the pixels of the rectangle's edge (inside
// the rectangle with PS_INSIDEFRAME), and fills cover [left, right) x [top, bottom).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "dc.h"

namespace zv::gdi {
namespace {

Brush* FindBrush(HGDIOBJ handle) { return FindAs<Brush>(handle, Kind::Brush); }

int PenWidth(const Pen& pen) { return std::max(1, pen.width); }

bool Draws(const Pen& pen) { return (pen.style & PS_STYLE_MASK) != PS_NULL; }

void Prepare(cairo_t* cr, COLORREF color) {
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  SetSourceColor(cr, color);
}

// On/off runs, in pixels, of the styled one-pixel pens.
std::vector<int> DashPattern(int style) {
  switch (style) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    default: return {};
  }
}

// Adds the pixels of a one-pixel line from (x0, y0) to (x1, y1), the end point
// left out, to the path (Bresenham's walk).
void AddThinLine(cairo_t* cr, int x0, int y0, int x1, int y1, int style) {
  const std::vector<int> dashes = DashPattern(style);
  int period = 0;
  for (int run : dashes) period += run;
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (int step = 0; x0 != x1 || y0 != y1; ++step) {
    bool on = true;
    if (period > 0) {
      int offset = step % period;
      for (std::size_t i = 0; i < dashes.size(); offset -= dashes[i], ++i) {
        if (offset < dashes[i]) {
          on = i % 2 == 0;
          break;
        }
      }
    }
    if (on) cairo_rectangle(cr, x0, y0, 1, 1);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

// A wide pen strokes through the pixel centres with round ends.
void StrokeWideLine(cairo_t* cr, int x0, int y0, int x1, int y1, int width) {
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
  cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
  cairo_stroke(cr);
}

RECT Normalized(int left, int top, int right, int bottom) {
  return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

// The outer edge of a frame drawn with `pen` around `rect`: the rectangle itself
// for inside frames and one-pixel pens; wider pens are centred on the edge pixels.
RECT FrameOuter(const RECT& rect, const Pen& pen) {
  const int width = PenWidth(pen);
  if ((pen.style & PS_STYLE_MASK) == PS_INSIDEFRAME || width == 1) return rect;
  const int before = (width - 1) / 2;
  const int after = width / 2;
  return RECT{rect.left - before, rect.top - before, rect.right + after, rect.bottom + after};
}

void FillBand(cairo_t* cr, const RECT& outer, int width) {
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_rectangle(cr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top);
  const RECT inner{outer.left + width, outer.top + width, outer.right - width, outer.bottom - width};
  if (inner.right > inner.left && inner.bottom > inner.top) {
    cairo_rectangle(cr, inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top);
  }
  cairo_fill(cr);
}

void FillRectWith(cairo_t* cr, const RECT& rect, COLORREF color) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  Prepare(cr, color);
  cairo_rectangle(cr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  cairo_fill(cr);
}

// A rectangle with elliptic corners through the centres of the pixels of `box`.
void AddRoundedPath(cairo_t* cr, double left, double top, double right, double bottom, double rx, double ry) {
  rx = std::min(rx, (right - left) / 2);
  ry = std::min(ry, (bottom - top) / 2);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    return;
  }
  const auto corner = [&](double cx, double cy, double from, double to) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, from, to);
    cairo_restore(cr);
  };
  cairo_new_sub_path(cr);
  corner(right - rx, top + ry, -M_PI / 2, 0);
  corner(right - rx, bottom - ry, 0, M_PI / 2);
  corner(left + rx, bottom - ry, M_PI / 2, M_PI);
  corner(left + rx, top + ry, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

}  // namespace
}  // namespace zv::gdi

using namespace zv::gdi;

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
  const int kind = style & PS_STYLE_MASK;
  if (kind > PS_INSIDEFRAME) return Fail<HPEN>(ERROR_INVALID_PARAMETER, nullptr);
  auto* pen = new Pen();
  pen->style = style;
  pen->width = std::max(0, width);
  pen->color = color & 0x00FFFFFF;
  return static_cast<HPEN>(Register(pen));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  auto* brush = new Brush();
  brush->color = color & 0x00FFFFFF;
  return static_cast<HBRUSH>(Register(brush));
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (previous != nullptr) *previous = dc->state.position;
  dc->state.position = POINT{x, y};
  return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const POINT from = dc->state.position;
  dc->state.position = POINT{x, y};
  const Pen& pen = *dc->state.pen;
  if (!Draws(pen)) return TRUE;
  Canvas canvas(*dc);
  Prepare(canvas.get(), pen.color);
  if (PenWidth(pen) == 1) {
    AddThinLine(canvas.get(), from.x, from.y, x, y, pen.style & PS_STYLE_MASK);
    cairo_fill(canvas.get());
  } else {
    StrokeWideLine(canvas.get(), from.x, from.y, x, y, PenWidth(pen));
  }
  return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const RECT rect = Normalized(left, top, right, bottom);
  const Pen& pen = *dc->state.pen;
  const Brush& brush = *dc->state.brush;
  Canvas canvas(*dc);
  if (!Draws(pen)) {
    // Without a pen the filled area is one pixel narrower and lower, as on Windows.
    if (!brush.null) FillRectWith(canvas.get(), RECT{rect.left, rect.top, rect.right - 1, rect.bottom - 1}, brush.color);
    return TRUE;
  }
  if (!brush.null) FillRectWith(canvas.get(), rect, brush.color);
  Prepare(canvas.get(), pen.color);
  if (PenWidth(pen) == 1 && (pen.style & PS_STYLE_MASK) != PS_SOLID && (pen.style & PS_STYLE_MASK) != PS_INSIDEFRAME) {
    const int style = pen.style & PS_STYLE_MASK;
    cairo_t* cr = canvas.get();
    AddThinLine(cr, rect.left, rect.top, rect.right - 1, rect.top, style);
    AddThinLine(cr, rect.right - 1, rect.top, rect.right - 1, rect.bottom - 1, style);
    AddThinLine(cr, rect.right - 1, rect.bottom - 1, rect.left, rect.bottom - 1, style);
    AddThinLine(cr, rect.left, rect.bottom - 1, rect.left, rect.top, style);
    cairo_fill(cr);
    return TRUE;
  }
  FillBand(canvas.get(), FrameOuter(rect, pen), PenWidth(pen));
  return TRUE;
}

BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const RECT rect = Normalized(left, top, right, bottom);
  if (rect.right - rect.left < 2 || rect.bottom - rect.top < 2) return Rectangle(hdc, left, top, right, bottom);
  const Pen& pen = *dc->state.pen;
  const Brush& brush = *dc->state.brush;
  const double width = Draws(pen) ? PenWidth(pen) : 0;
  const RECT outer = Draws(pen) ? FrameOuter(rect, pen) : rect;
  // The pen's centre line runs half a pen width inside the outer edge.
  const double inset = width / 2;
  const double rx = std::abs(ellipseWidth) / 2.0;
  const double ry = std::abs(ellipseHeight) / 2.0;
  Canvas canvas(*dc);
  cairo_t* cr = canvas.get();
  if (!brush.null) {
    Prepare(cr, brush.color);
    AddRoundedPath(cr, outer.left + inset, outer.top + inset, outer.right - inset, outer.bottom - inset, rx, ry);
    cairo_fill(cr);
  }
  if (width > 0) {
    Prepare(cr, pen.color);
    cairo_set_line_width(cr, width);
    AddRoundedPath(cr, outer.left + inset, outer.top + inset, outer.right - inset, outer.bottom - inset,
                   rx - inset, ry - inset);
    cairo_stroke(cr);
  }
  return TRUE;
}

// The brush is one the caller made or a stock brush; the system colour indexes
// (COLOR_WINDOW + 1 and the like) are not taken for brushes here.
int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH handle) {
  DC* dc = FindDC(hdc);
  Brush* brush = FindBrush(handle);
  if (dc == nullptr || brush == nullptr || rect == nullptr) return Fail(ERROR_INVALID_PARAMETER, 0);
  if (brush->null) return 1;
  Canvas canvas(*dc);
  FillRectWith(canvas.get(), *rect, brush->color);
  return 1;
}

int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH handle) {
  DC* dc = FindDC(hdc);
  Brush* brush = FindBrush(handle);
  if (dc == nullptr || brush == nullptr || rect == nullptr) return Fail(ERROR_INVALID_PARAMETER, 0);
  if (brush->null || rect->right <= rect->left || rect->bottom <= rect->top) return 1;
  Canvas canvas(*dc);
  Prepare(canvas.get(), brush->color);
  FillBand(canvas.get(), *rect, 1);
  return 1;
}
