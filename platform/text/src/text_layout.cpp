#include "text_layout.h"

#include <pango/pangocairo.h>

#include <algorithm>

#include "zv/gdi_text.h"
#include "zv/text.h"

namespace zv::text {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// UTF-8 for Pango, and the byte offset of every UTF-16 position. Both halves of
// a surrogate pair map to the character's first byte; an unpaired surrogate and
// a NUL, which Pango cannot lay out, become U+FFFD.
std::string ToLayoutText(const std::u16string& text, std::vector<int>& byteOf) {
  std::string utf8;
  byteOf.assign(text.size() + 1, 0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    byteOf[i] = static_cast<int>(utf8.size());
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      byteOf[i + 1] = byteOf[i];
      utf8 += zv::ToUtf8(std::u16string_view(text).substr(i, 2));
      ++i;
    } else {
      // An unpaired surrogate becomes U+FFFD through the conversion itself.
      utf8 += zv::ToUtf8(c == 0 ? std::u16string_view(u"\uFFFD") : std::u16string_view(text).substr(i, 1));
    }
  }
  byteOf[text.size()] = static_cast<int>(utf8.size());
  return utf8;
}

PangoAlignment AlignmentOf(WORD alignment) {
  switch (alignment) {
    case PFA_CENTER: return PANGO_ALIGN_CENTER;
    case PFA_RIGHT: return PANGO_ALIGN_RIGHT;
    default: return PANGO_ALIGN_LEFT;
  }
}

}  // namespace

TextLayout::TextLayout() : layout_(pango_layout_new(SharedTextContext())), byteOf_(1, 0) {
  // Like an edit control: words break at spaces and between Chinese characters,
  // a word longer than the line breaks where it must, and no hyphen is added.
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
}

TextLayout::~TextLayout() { g_object_unref(layout_); }

void TextLayout::SetText(const std::u16string& text) {
  const std::string utf8 = ToLayoutText(text, byteOf_);
  pango_layout_set_text(layout_, utf8.data(), static_cast<int>(utf8.size()));
}

void TextLayout::SetStyle(const TextStyle& style) {
  PangoFontDescription* description = NewFontDescription(style.face, style.pixelHeight, style.weight, style.italic);
  pango_layout_set_font_description(layout_, description);
  pango_font_description_free(description);
  PangoAttrList* attributes = pango_attr_list_new();
  AddLayoutDefaults(attributes);
  if (style.underline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (style.strikeOut) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout_, attributes);
  pango_attr_list_unref(attributes);
  pango_layout_set_alignment(layout_, AlignmentOf(style.alignment));
  if (style.tabStop > 0) {
    PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, style.tabStop);
    pango_layout_set_tabs(layout_, tabs);
    pango_tab_array_free(tabs);
  } else {
    pango_layout_set_tabs(layout_, nullptr);
  }
}

void TextLayout::SetWrapWidth(int width) {
  wrapWidth_ = width < 0 ? -1 : std::max(1, width);
  pango_layout_set_width(layout_, wrapWidth_ < 0 ? -1 : wrapWidth_ * PANGO_SCALE);
}

int TextLayout::Height() const {
  PangoRectangle logical;
  pango_layout_get_extents(layout_, nullptr, &logical);
  return PANGO_PIXELS_CEIL(logical.y + logical.height);
}

void TextLayout::MeasureAt(int width, int* naturalWidth, int* height) const {
  PangoLayout* probe = pango_layout_copy(layout_);
  pango_layout_set_width(probe, width < 0 ? -1 : std::max(1, width) * PANGO_SCALE);
  PangoRectangle logical;
  pango_layout_get_extents(probe, nullptr, &logical);
  int widest = 0;
  for (GSList* line = pango_layout_get_lines_readonly(probe); line != nullptr; line = line->next) {
    PangoRectangle extents;
    pango_layout_line_get_extents(static_cast<PangoLayoutLine*>(line->data), nullptr, &extents);
    widest = std::max(widest, PANGO_PIXELS_CEIL(extents.width));
  }
  *naturalWidth = widest;
  *height = PANGO_PIXELS_CEIL(logical.y + logical.height);
  g_object_unref(probe);
}

std::vector<int> TextLayout::LineTops() const {
  std::vector<int> tops;
  PangoLayoutIter* iter = pango_layout_get_iter(layout_);
  do {
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    tops.push_back(PANGO_PIXELS(logical.y));
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  return tops;
}

int TextLayout::ByteOf(LONG position) const {
  const auto last = static_cast<LONG>(byteOf_.size()) - 1;
  return byteOf_[static_cast<std::size_t>(std::clamp<LONG>(position, 0, last))];
}

LONG TextLayout::PositionOfByte(int byte) const {
  const auto it = std::lower_bound(byteOf_.begin(), byteOf_.end(), byte);
  return static_cast<LONG>(std::min(it, byteOf_.end() - 1) - byteOf_.begin());
}

LONG TextLayout::PositionAt(int x, int y) const {
  int index = 0;
  int trailing = 0;
  pango_layout_xy_to_index(layout_, x * PANGO_SCALE, y * PANGO_SCALE, &index, &trailing);
  const char* text = pango_layout_get_text(layout_);
  const char* at = text + index;
  for (; trailing > 0 && *at != '\0'; --trailing) at = g_utf8_next_char(at);
  LONG position = PositionOfByte(static_cast<int>(at - text));
  // The second half of a surrogate pair shares its first half's byte.
  while (position + 1 < static_cast<LONG>(byteOf_.size()) && byteOf_[static_cast<std::size_t>(position) + 1] ==
                                                                    byteOf_[static_cast<std::size_t>(position)]) {
    ++position;
  }
  return position;
}

void TextLayout::WordAround(LONG position, LONG* start, LONG* end) const {
  int count = 0;
  const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout_, &count);
  const char* text = pango_layout_get_text(layout_);
  // Log attributes are per character; walk characters and bytes together.
  const int byte = ByteOf(position);
  const int at = static_cast<int>(g_utf8_pointer_to_offset(text, text + byte));
  int first = at;
  while (first > 0 && !attrs[first].is_word_start && !attrs[first].is_word_end) --first;
  int last = at;
  while (last < count - 1 && !attrs[last].is_word_end) ++last;
  if (last == first && last < count - 1) ++last;  // at least the character under the point
  *start = PositionOfByte(static_cast<int>(g_utf8_offset_to_pointer(text, first) - text));
  *end = PositionOfByte(static_cast<int>(g_utf8_offset_to_pointer(text, last) - text));
}

std::vector<RECT> TextLayout::RangeRects(LONG from, LONG to) const {
  std::vector<RECT> rects;
  const int startByte = ByteOf(from);
  const int endByte = ByteOf(to);
  if (startByte >= endByte) return rects;
  PangoLayoutIter* iter = pango_layout_get_iter(layout_);
  do {
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
    if (line->start_index + line->length < startByte || line->start_index >= endByte) continue;
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    int* ranges = nullptr;
    int count = 0;
    pango_layout_line_get_x_ranges(line, startByte, endByte, &ranges, &count);
    for (int i = 0; i < count; ++i) {
      const int left = PANGO_PIXELS(ranges[2 * i]);
      const int right = PANGO_PIXELS(ranges[2 * i + 1]);
      if (right > left) {
        rects.push_back(RECT{left, PANGO_PIXELS(logical.y), right, PANGO_PIXELS(logical.y + logical.height)});
      }
    }
    g_free(ranges);
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  return rects;
}

void TextLayout::Draw(cairo_t* cr, double x, double y, COLORREF color) const {
  cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout_);
}

}  // namespace zv::text
