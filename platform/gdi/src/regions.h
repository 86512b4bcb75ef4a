// Regions as Cairo (pixman) integer regions, and their use as clip.
#pragma once

#include <cairo.h>

#include "objects.h"

namespace zv::gdi {

// Appends the region's rectangles to the current path of `cr`.
void AddRegionToPath(cairo_t* cr, const cairo_region_t* region);
// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int RegionType(const cairo_region_t* region);
Region* FindRegion(HRGN handle);

}  // namespace zv::gdi
