// The stock objects every DC starts with and GetStockObject hands out. They
// live as long as the process and are never deleted.
#pragma once

#include "objects.h"

namespace zv::gdi {

// The stock object of a GetStockObject index, or null for an index we do not have.
HGDIOBJ StockObject(int index);
// The 1x1 bitmap a memory DC holds until a bitmap of the caller's is selected.
Bitmap* DefaultBitmap();

}  // namespace zv::gdi
