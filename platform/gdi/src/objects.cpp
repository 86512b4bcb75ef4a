#include "objects.h"

#include <mutex>
#include <unordered_set>

#include "dc.h"
#include "stock.h"

namespace zv::gdi {
namespace {

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_set<const void*>& LiveObjects() {
  static auto* table = new std::unordered_set<const void*>();  // outlives every static destructor
  return *table;
}

}  // namespace

Font::~Font() {
  if (description != nullptr) pango_font_description_free(description);
}

Bitmap::~Bitmap() {
  if (surface != nullptr) cairo_surface_destroy(surface);
  delete[] memory;
}

Region::~Region() {
  if (region != nullptr) cairo_region_destroy(region);
}

void* Register(Object* object) {
  std::lock_guard<std::mutex> guard(TableLock());
  LiveObjects().insert(object);
  return object;
}

Object* Find(const void* handle) {
  if (handle == nullptr) return nullptr;
  std::lock_guard<std::mutex> guard(TableLock());
  return LiveObjects().count(handle) != 0 ? static_cast<Object*>(const_cast<void*>(handle)) : nullptr;
}

void Destroy(Object* object) {
  {
    std::lock_guard<std::mutex> guard(TableLock());
    LiveObjects().erase(object);
  }
  delete object;
}

void Retain(Object* object) {
  if (object != nullptr && !object->stock) ++object->selections;
}

void Release(Object* object) {
  if (object == nullptr || object->stock) return;
  if (--object->selections == 0 && object->deletePending) Destroy(object);
}

}  // namespace zv::gdi

using namespace zv::gdi;

// Deleting an object that a DC still holds does not pull it from under that DC:
// the deletion completes when the last DC lets go of it. Stock objects are never
// deleted; deleting one reports success, as Windows does.
BOOL WINAPI DeleteObject(HGDIOBJ handle) {
  Object* object = Find(handle);
  if (object == nullptr || object->kind == Kind::DC) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (object->stock) return TRUE;
  if (object->selections > 0) {
    object->deletePending = true;
    return TRUE;
  }
  Destroy(object);
  return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ handle) {
  Object* object = Find(handle);
  if (object == nullptr) return Fail(ERROR_INVALID_HANDLE, DWORD{0});
  switch (object->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Region: return OBJ_REGION;
    case Kind::DC: return static_cast<DC*>(object)->surface != nullptr ? OBJ_DC : OBJ_MEMDC;
  }
  return 0;
}

namespace {

template <class T>
int CopyOut(const T& value, int size, LPVOID buffer) {
  if (buffer == nullptr) return static_cast<int>(sizeof(T));
  if (size < static_cast<int>(sizeof(T))) return Fail(ERROR_INVALID_PARAMETER, 0);
  *static_cast<T*>(buffer) = value;
  return static_cast<int>(sizeof(T));
}

BITMAP BitmapInfoOf(const Bitmap& bitmap) {
  BITMAP info{};
  info.bmWidth = bitmap.width;
  info.bmHeight = bitmap.height;
  info.bmWidthBytes = bitmap.width * 4;
  info.bmPlanes = 1;
  info.bmBitsPixel = 32;
  info.bmBits = bitmap.dibSection ? bitmap.memory : nullptr;
  return info;
}

int GetBitmapObject(const Bitmap& bitmap, int size, LPVOID buffer) {
  if (bitmap.dibSection && buffer != nullptr && size >= static_cast<int>(sizeof(DIBSECTION))) {
    DIBSECTION section{};
    section.dsBm = BitmapInfoOf(bitmap);
    section.dsBmih = bitmap.header;
    return CopyOut(section, size, buffer);
  }
  return CopyOut(BitmapInfoOf(bitmap), size, buffer);
}

}  // namespace

int WINAPI GetObjectW(HANDLE handle, int size, LPVOID buffer) {
  Object* object = Find(handle);
  if (object == nullptr) return Fail(ERROR_INVALID_HANDLE, 0);
  switch (object->kind) {
    case Kind::Pen: {
      const auto& pen = *static_cast<Pen*>(object);
      return CopyOut(LOGPEN{static_cast<UINT>(pen.style), POINT{pen.width, 0}, pen.color}, size, buffer);
    }
    case Kind::Brush: {
      const auto& brush = *static_cast<Brush*>(object);
      return CopyOut(LOGBRUSH{brush.null ? BS_NULL : BS_SOLID, brush.color, 0}, size, buffer);
    }
    case Kind::Font: return CopyOut(static_cast<Font*>(object)->log, size, buffer);
    case Kind::Bitmap: return GetBitmapObject(*static_cast<Bitmap*>(object), size, buffer);
    case Kind::Region:
    case Kind::DC: break;
  }
  return Fail(ERROR_INVALID_HANDLE, 0);
}

HGDIOBJ WINAPI GetStockObject(int index) { return StockObject(index); }
