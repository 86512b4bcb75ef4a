// The GDI+ solid fills the toolkit uses: ARGB colours blended over what the DC
// already shows (straight alpha in, premultiplied pixels out).
#include "gdiplus.h"

#include <atomic>

#include "dc.h"

namespace Gdiplus {
namespace {

std::atomic<ULONG_PTR> lastToken{0};

WINAPI Status NoHook(ULONG_PTR* token) {
  if (token != nullptr) *token = 0;
  return Ok;
}

WINAPI void NoUnhook(ULONG_PTR) {}

}  // namespace

// Nothing here needs global state, so drawing works whether or not the library
// was started; starting still checks its input as GDI+ does, so callers that get
// it wrong find out here rather than on Windows.
Status WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (token == nullptr || input == nullptr) return InvalidParameter;
  if (input->GdiplusVersion != 1) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread != FALSE) {
    if (output == nullptr) return InvalidParameter;
    output->NotificationHook = &NoHook;
    output->NotificationUnhook = &NoUnhook;
  }
  *token = ++lastToken;
  return Ok;
}

void WINAPI GdiplusShutdown(ULONG_PTR) {}

Status SolidBrush::GetColor(Color* color) const {
  if (color == nullptr) return lastStatus_ = InvalidParameter;
  *color = color_;
  return Ok;
}

Status SolidBrush::SetColor(const Color& color) {
  color_ = color;
  return Ok;
}

Graphics::Graphics(HDC hdc) : hdc_(hdc) {
  if (zv::gdi::FindDC(hdc) == nullptr) lastStatus_ = InvalidParameter;
}

Status Graphics::Fill(const Brush* brush, double x, double y, double width, double height, bool replace) {
  zv::gdi::DC* dc = zv::gdi::FindDC(hdc_);
  const auto* solid = dynamic_cast<const SolidBrush*>(brush);
  if (dc == nullptr || solid == nullptr) return lastStatus_ = InvalidParameter;
  if (width <= 0 || height <= 0) return Ok;
  Color color;
  solid->GetColor(&color);
  zv::gdi::Canvas canvas(*dc);
  cairo_t* cr = canvas.get();
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(cr, replace ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
  cairo_set_source_rgba(cr, color.GetR() / 255.0, color.GetG() / 255.0, color.GetB() / 255.0, color.GetA() / 255.0);
  cairo_rectangle(cr, x, y, width, height);
  cairo_fill(cr);
  return Ok;
}

Status Graphics::FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height) {
  return Fill(brush, x, y, width, height, false);
}

Status Graphics::FillRectangle(const Brush* brush, const Rect& rect) {
  return Fill(brush, rect.X, rect.Y, rect.Width, rect.Height, false);
}

Status Graphics::FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
  return Fill(brush, x, y, width, height, false);
}

Status Graphics::FillRectangle(const Brush* brush, const RectF& rect) {
  return Fill(brush, rect.X, rect.Y, rect.Width, rect.Height, false);
}

// Clear replaces what is beneath, transparency included, over everything the DC may draw on.
Status Graphics::Clear(const Color& color) {
  zv::gdi::DC* dc = zv::gdi::FindDC(hdc_);
  if (dc == nullptr) return lastStatus_ = InvalidParameter;
  SolidBrush brush(color);
  RECT box;
  GetClipBox(hdc_, &box);
  return Fill(&brush, box.left, box.top, box.right - box.left, box.bottom - box.top, true);
}

Status Graphics::GetLastStatus() const {
  const Status status = lastStatus_;
  lastStatus_ = Ok;
  return status;
}

}  // namespace Gdiplus
