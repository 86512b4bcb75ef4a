// What the text services need from the gdi part: the layer's Pango context,
// built on its own font configuration, and drawing on a device context with Cairo.
// Only the platform layer includes this header.
#pragma once

#include <cairo.h>

#include <pango/pango.h>

#include <functional>
#include <mutex>
#include <string_view>

#include "win/base.h"

namespace zv {

// Pango and the font configuration are not thread-safe: hold this lock while
// using the context or layouts made from it.
std::recursive_mutex& TextLock();

// The process-wide Pango context: the layer's own fonts (Windows face names such
// as "Microsoft YaHei", "SimSun" and "MS Shell Dlg" resolve to WenQuanYi Micro
// Hei), 96 dots per inch, metrics hinted to whole pixels.
PangoContext* SharedTextContext();

// A description of a face (empty: the default face) at a character height in
// pixels; the caller frees it with pango_font_description_free.
PangoFontDescription* NewFontDescription(std::u16string_view face, double pixelHeight, int weight, bool italic);

// Attributes every layout of the layer carries: no hyphens where a word is broken.
void AddLayoutDefaults(PangoAttrList* attributes);

// Runs `draw` with a Cairo context on the DC, clipped to what the DC may draw on
// and translated by its origin (logical coordinates); false for an invalid DC.
bool DrawOnDC(HDC hdc, const std::function<void(cairo_t*)>& draw);

}  // namespace zv
