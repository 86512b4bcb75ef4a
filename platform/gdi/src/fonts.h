// Logical fonts as Pango descriptions and attributes.
#pragma once

#include <pango/pango.h>

#include "objects.h"

namespace zv::gdi {

// The font's description, made on first use (hold the text lock).
const PangoFontDescription* DescriptionOf(Font& font);
// The layer's layout defaults plus the font's underline and strike-out.
PangoAttrList* NewFontAttributes(const Font& font);

}  // namespace zv::gdi
