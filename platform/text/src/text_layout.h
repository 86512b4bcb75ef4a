// The text of the text services laid out with Pango: paragraphs separated by
// CR, wrapped at a width, in one character and paragraph format. Positions are
// character positions (UTF-16 units, as rich edit counts them); coordinates are
// pixels relative to the top-left corner of the text.
#pragma once

#include <cairo.h>

#include <pango/pango.h>

#include <string>
#include <vector>

#include "richedit.h"

namespace zv::text {

struct TextStyle {
  std::u16string face;
  double pixelHeight = 12;
  int weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  WORD alignment = PFA_LEFT;
  int tabStop = 0;  // pixels; 0: Pango's default stops
};

class TextLayout {
 public:
  TextLayout();
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  void SetText(const std::u16string& text);
  void SetStyle(const TextStyle& style);
  // Lines wrap at `width` pixels; a negative width does not wrap.
  void SetWrapWidth(int width);
  int wrapWidth() const { return wrapWidth_; }

  int Height() const;
  // The height the text would take wrapped at `width`, and its widest line.
  void MeasureAt(int width, int* naturalWidth, int* height) const;
  // Top of every line, first line first.
  std::vector<int> LineTops() const;
  // The character position nearest to a point.
  LONG PositionAt(int x, int y) const;
  // The word around a position: [*start, *end).
  void WordAround(LONG position, LONG* start, LONG* end) const;
  // Rectangles covering the characters [from, to).
  std::vector<RECT> RangeRects(LONG from, LONG to) const;
  // Draws the text with its top-left corner at (x, y).
  void Draw(cairo_t* cr, double x, double y, COLORREF color) const;

 private:
  int ByteOf(LONG position) const;
  LONG PositionOfByte(int byte) const;

  PangoLayout* layout_;
  std::vector<int> byteOf_;  // byte offset of every UTF-16 position, and of the end
  int wrapWidth_ = -1;
};

}  // namespace zv::text
