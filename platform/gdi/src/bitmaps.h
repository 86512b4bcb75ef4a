// Bitmaps: 32-bit premultiplied BGRA pixel blocks wrapped in Cairo ARGB32 surfaces.
#pragma once

#include "objects.h"

namespace zv::gdi {

// A registered top-down bitmap of the given size, every pixel 0; null when the
// size is not positive or the memory cannot be had.
Bitmap* NewImageBitmap(int width, int height);

}  // namespace zv::gdi
