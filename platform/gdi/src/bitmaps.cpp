#include "bitmaps.h"

#include <cstring>
#include <limits>
#include <new>

#include "dc.h"

namespace zv::gdi {
namespace {

constexpr int kMaxSide = 1 << 15;  // Cairo's image surfaces stop at 32767 pixels a side

// Wraps the rows of `bitmap->memory` in a surface; bottom-up rows are read with a
// negative stride from the last row of the block.
bool AttachSurface(Bitmap* bitmap) {
  const int stride = bitmap->width * 4;
  unsigned char* first = bitmap->memory;
  int surfaceStride = stride;
  if (bitmap->bottomUp) {
    first += static_cast<std::size_t>(stride) * static_cast<std::size_t>(bitmap->height - 1);
    surfaceStride = -stride;
  }
  bitmap->surface =
      cairo_image_surface_create_for_data(first, CAIRO_FORMAT_ARGB32, bitmap->width, bitmap->height, surfaceStride);
  return cairo_surface_status(bitmap->surface) == CAIRO_STATUS_SUCCESS;
}

Bitmap* NewBitmap(int width, int height, bool bottomUp) {
  if (width <= 0 || height <= 0 || width >= kMaxSide || height >= kMaxSide) {
    return Fail<Bitmap*>(ERROR_INVALID_PARAMETER, nullptr);
  }
  auto* bitmap = new Bitmap();
  bitmap->width = width;
  bitmap->height = height;
  bitmap->bottomUp = bottomUp;
  bitmap->memory = new (std::nothrow) unsigned char[static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height)]();
  if (bitmap->memory == nullptr || !AttachSurface(bitmap)) {
    delete bitmap;
    return Fail<Bitmap*>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
  }
  Register(bitmap);
  return bitmap;
}

}  // namespace

Bitmap* NewImageBitmap(int width, int height) { return NewBitmap(width, height, false); }

}  // namespace zv::gdi

using namespace zv::gdi;

// A compatible bitmap starts opaque black, as a bitmap compatible with the screen
// does: the screen has no transparency, and blitting an unpainted part of it to a
// window shows black rather than whatever the window lies over.
HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (FindDC(hdc) == nullptr) return Fail<HBITMAP>(ERROR_INVALID_HANDLE, nullptr);
  Bitmap* bitmap = NewImageBitmap(width, height);
  if (bitmap == nullptr) return nullptr;
  auto* pixels = reinterpret_cast<std::uint32_t*>(bitmap->memory);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  for (std::size_t i = 0; i < count; ++i) pixels[i] = 0xFF000000u;
  cairo_surface_mark_dirty(bitmap->surface);
  return reinterpret_cast<HBITMAP>(bitmap);
}

// Only the 32-bit uncompressed layout exists here: it is the one the product
// makes, and its bytes are Cairo's own, so the caller's writes need no copying.
HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                DWORD offset) {
  if (bits != nullptr) *bits = nullptr;
  if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr || offset != 0) {
    return Fail<HBITMAP>(ERROR_INVALID_PARAMETER, nullptr);
  }
  const BITMAPINFOHEADER& header = info->bmiHeader;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biBitCount != 32 || header.biCompression != BI_RGB ||
      header.biPlanes != 1 || header.biHeight == std::numeric_limits<LONG>::min()) {
    return Fail<HBITMAP>(ERROR_INVALID_PARAMETER, nullptr);
  }
  const bool bottomUp = header.biHeight > 0;
  Bitmap* bitmap = NewBitmap(header.biWidth, bottomUp ? header.biHeight : -header.biHeight, bottomUp);
  if (bitmap == nullptr) return nullptr;
  bitmap->dibSection = true;
  bitmap->header = header;
  bitmap->header.biSize = sizeof(BITMAPINFOHEADER);
  bitmap->header.biSizeImage = static_cast<DWORD>(bitmap->width * 4 * bitmap->height);
  if (bits != nullptr) *bits = bitmap->memory;
  return reinterpret_cast<HBITMAP>(bitmap);
}
