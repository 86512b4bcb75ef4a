#include "dc.h"

#include "regions.h"
#include "stock.h"
#include "zv/gdi_surface.h"

namespace zv::gdi {
namespace {

void RetainState(const DcState& state) {
  Retain(state.bitmap);
  Retain(state.pen);
  Retain(state.brush);
  Retain(state.font);
}

void ReleaseState(DcState& state) {
  if (state.clip != nullptr) cairo_region_destroy(state.clip);
  state.clip = nullptr;
  Release(state.bitmap);
  Release(state.pen);
  Release(state.brush);
  Release(state.font);
}

DcState CopyState(const DcState& state) {
  DcState copy = state;
  copy.clip = state.clip != nullptr ? cairo_region_copy(state.clip) : nullptr;
  RetainState(copy);
  return copy;
}

DC* NewDC(cairo_surface_t* surface) {
  auto* dc = new DC();
  dc->surface = surface;
  dc->state.bitmap = surface == nullptr ? DefaultBitmap() : nullptr;
  dc->state.pen = static_cast<Pen*>(StockObject(BLACK_PEN));
  dc->state.brush = static_cast<Brush*>(StockObject(WHITE_BRUSH));
  dc->state.font = static_cast<Font*>(StockObject(SYSTEM_FONT));
  Register(dc);
  return dc;
}

template <class T>
HGDIOBJ Swap(T*& slot, T* object) {
  T* previous = slot;
  Retain(object);
  slot = object;
  Release(previous);
  return previous;
}

HGDIOBJ SelectBitmap(DC& dc, Bitmap* bitmap) {
  if (dc.surface != nullptr) return Fail<HGDIOBJ>(ERROR_INVALID_PARAMETER, nullptr);
  if (bitmap->selectedInto != nullptr && bitmap->selectedInto != &dc && !bitmap->stock) {
    return Fail<HGDIOBJ>(ERROR_INVALID_PARAMETER, nullptr);
  }
  Bitmap* previous = dc.state.bitmap;
  if (previous != nullptr && previous != bitmap) previous->selectedInto = nullptr;
  bitmap->selectedInto = &dc;
  return Swap(dc.state.bitmap, bitmap);
}

}  // namespace

DC::~DC() {
  for (DcState& state : saved) ReleaseState(state);
  if (state.bitmap != nullptr && state.bitmap->selectedInto == this) state.bitmap->selectedInto = nullptr;
  ReleaseState(state);
  if (surface != nullptr) cairo_surface_destroy(surface);
  if (visible != nullptr) cairo_region_destroy(visible);
}

DC* FindDC(HDC hdc) { return FindAs<DC>(hdc, Kind::DC); }

cairo_surface_t* TargetOf(const DC& dc) { return dc.surface != nullptr ? dc.surface : dc.state.bitmap->surface; }

int TargetWidth(const DC& dc) { return cairo_image_surface_get_width(TargetOf(dc)); }

int TargetHeight(const DC& dc) { return cairo_image_surface_get_height(TargetOf(dc)); }

POINT SurfaceOrigin(const DC& dc) {
  return POINT{dc.deviceOrigin.x + dc.state.origin.x, dc.deviceOrigin.y + dc.state.origin.y};
}

cairo_region_t* EffectiveClip(const DC& dc) {
  const cairo_rectangle_int_t bounds{0, 0, TargetWidth(dc), TargetHeight(dc)};
  cairo_region_t* region = cairo_region_create_rectangle(&bounds);
  if (dc.visible != nullptr) cairo_region_intersect(region, dc.visible);
  if (dc.state.clip != nullptr) {
    cairo_region_t* clip = cairo_region_copy(dc.state.clip);
    cairo_region_translate(clip, dc.deviceOrigin.x, dc.deviceOrigin.y);
    cairo_region_intersect(region, clip);
    cairo_region_destroy(clip);
  }
  return region;
}

Canvas::Canvas(const DC& dc) : surface_(TargetOf(dc)) {
  cairo_surface_mark_dirty(surface_);
  cr_ = cairo_create(surface_);
  cairo_region_t* clip = EffectiveClip(dc);
  AddRegionToPath(cr_, clip);
  cairo_clip(cr_);
  cairo_region_destroy(clip);
  const POINT origin = SurfaceOrigin(dc);
  cairo_translate(cr_, origin.x, origin.y);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_flush(surface_);
}

void Canvas::ClipTo(const RECT& rect) {
  cairo_rectangle(cr_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  cairo_clip(cr_);
}

void SetSourceColor(cairo_t* cr, COLORREF color) {
  cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

}  // namespace zv::gdi

using namespace zv::gdi;

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc != nullptr && FindDC(hdc) == nullptr) return Fail<HDC>(ERROR_INVALID_HANDLE, nullptr);
  return reinterpret_cast<HDC>(NewDC(nullptr));
}

// A window's DC belongs to the window and goes back through it, not here.
BOOL WINAPI DeleteDC(HDC hdc) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr || dc->surface != nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  Destroy(dc);
  return TRUE;
}

int WINAPI SaveDC(HDC hdc) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, 0);
  dc->saved.push_back(CopyState(dc->state));
  return static_cast<int>(dc->saved.size());
}

// `savedDC` above 0 names a level SaveDC returned; below 0 counts back from the
// latest save. The states saved after the restored one are dropped.
BOOL WINAPI RestoreDC(HDC hdc, int savedDC) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const int depth = static_cast<int>(dc->saved.size());
  const int level = savedDC < 0 ? depth + 1 + savedDC : savedDC;
  if (level < 1 || level > depth) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  while (static_cast<int>(dc->saved.size()) > level) {
    ReleaseState(dc->saved.back());
    dc->saved.pop_back();
  }
  Bitmap* previousBitmap = dc->state.bitmap;
  DcState restored = dc->saved.back();
  dc->saved.pop_back();
  if (previousBitmap != nullptr && previousBitmap != restored.bitmap) previousBitmap->selectedInto = nullptr;
  if (restored.bitmap != nullptr) restored.bitmap->selectedInto = dc;
  ReleaseState(dc->state);
  dc->state = restored;
  return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ handle) {
  DC* dc = FindDC(hdc);
  Object* object = Find(handle);
  if (dc == nullptr || object == nullptr) return Fail<HGDIOBJ>(ERROR_INVALID_HANDLE, nullptr);
  switch (object->kind) {
    case Kind::Pen: return Swap(dc->state.pen, static_cast<Pen*>(object));
    case Kind::Brush: return Swap(dc->state.brush, static_cast<Brush*>(object));
    case Kind::Font: return Swap(dc->state.font, static_cast<Font*>(object));
    case Kind::Bitmap: return SelectBitmap(*dc, static_cast<Bitmap*>(object));
    case Kind::Region: {
      const int type = SelectClipRgn(hdc, static_cast<HRGN>(handle));
      return type == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(type));
    }
    case Kind::DC: break;
  }
  return Fail<HGDIOBJ>(ERROR_INVALID_HANDLE, nullptr);
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail<HGDIOBJ>(ERROR_INVALID_HANDLE, nullptr);
  switch (type) {
    case OBJ_PEN: return dc->state.pen;
    case OBJ_BRUSH: return dc->state.brush;
    case OBJ_FONT: return dc->state.font;
    case OBJ_BITMAP: return dc->state.bitmap;
    default: return Fail<HGDIOBJ>(ERROR_INVALID_PARAMETER, nullptr);
  }
}

// Every DC here has 96 dots per inch and 32 bits per pixel. The resolution of a
// DC is the size of what it draws on (a window's surface, or the selected bitmap).
int WINAPI GetDeviceCaps(HDC hdc, int index) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, 0);
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case HORZRES: return TargetWidth(*dc);
    case VERTRES: return TargetHeight(*dc);
    default: return 0;
  }
}

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (previous != nullptr) *previous = dc->state.origin;
  dc->state.origin = POINT{x, y};
  return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT origin) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr || origin == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  *origin = dc->state.origin;
  return TRUE;
}

BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (previous != nullptr) *previous = dc->state.origin;
  dc->state.origin.x += dx;
  dc->state.origin.y += dy;
  return TRUE;
}

namespace zv {

HDC CreateSurfaceDC(void* bgraPixels, int width, int height, int strideBytes) {
  if (bgraPixels == nullptr || width <= 0 || height <= 0 || strideBytes < width * 4 || strideBytes % 4 != 0) {
    return gdi::Fail<HDC>(ERROR_INVALID_PARAMETER, nullptr);
  }
  cairo_surface_t* surface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(bgraPixels),
                                                                 CAIRO_FORMAT_ARGB32, width, height, strideBytes);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return gdi::Fail<HDC>(ERROR_INVALID_PARAMETER, nullptr);
  }
  return reinterpret_cast<HDC>(gdi::NewDC(surface));
}

void DestroySurfaceDC(HDC hdc) {
  gdi::DC* dc = gdi::FindDC(hdc);
  if (dc != nullptr && dc->surface != nullptr) gdi::Destroy(dc);
}

void SetSurfaceOrigin(HDC hdc, int x, int y) {
  gdi::DC* dc = gdi::FindDC(hdc);
  if (dc != nullptr && dc->surface != nullptr) dc->deviceOrigin = POINT{x, y};
}

void SetSurfaceVisibleRegion(HDC hdc, HRGN region) {
  gdi::DC* dc = gdi::FindDC(hdc);
  if (dc == nullptr) return;
  if (dc->visible != nullptr) cairo_region_destroy(dc->visible);
  gdi::Region* source = gdi::FindAs<gdi::Region>(region, gdi::Kind::Region);
  dc->visible = source != nullptr ? cairo_region_copy(source->region) : nullptr;
}

}  // namespace zv
