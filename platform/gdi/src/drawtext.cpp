// DrawTextW and friends: text laid out with Pango in the DC's font, placed line
// by line as Windows places it.
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dc.h"
#include "fonts.h"
#include "zv/gdi_text.h"
#include "zv/text.h"

namespace zv::gdi {
namespace {

struct PreparedText {
  std::string utf8;
  std::vector<std::pair<unsigned, unsigned>> underlined;  // byte ranges of prefixed characters
};

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// Applies the "&" prefixes (unless DT_NOPREFIX): "&&" is one "&", "&x" is an
// underlined "x" (DT_HIDEPREFIX: not underlined). A single line takes no line
// breaks: CR and LF characters are left out of it.
PreparedText PrepareText(std::u16string_view text, UINT format) {
  const bool prefixes = (format & DT_NOPREFIX) == 0;
  const bool singleLine = (format & DT_SINGLELINE) != 0;
  std::u16string kept;
  std::vector<std::size_t> underlinedAt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (singleLine && IsLineBreak(c)) continue;
    if (prefixes && c == u'&') {
      if (++i >= text.size()) break;
      if (text[i] != u'&' && (format & DT_HIDEPREFIX) == 0) underlinedAt.push_back(kept.size());
      if (singleLine && IsLineBreak(text[i])) continue;
      kept.push_back(text[i]);
      continue;
    }
    kept.push_back(c);
  }
  PreparedText prepared;
  std::size_t next = 0;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const std::size_t units = (i + 1 < kept.size() && kept[i] >= 0xD800 && kept[i] < 0xDC00) ? 2 : 1;
    const auto start = static_cast<unsigned>(prepared.utf8.size());
    prepared.utf8 += ToUtf8(std::u16string_view(kept).substr(i, units));
    if (next < underlinedAt.size() && underlinedAt[next] == i) {
      prepared.underlined.emplace_back(start, static_cast<unsigned>(prepared.utf8.size()));
      ++next;
    }
    i += units - 1;
  }
  return prepared;
}

struct Line {
  PangoLayoutLine* line;
  int offsetX;  // of the line's logical box within the layout
  int width;
  int top;
  int height;
  int baseline;
};

class TextBlock {
 public:
  TextBlock(Font& font, std::u16string_view text, UINT format, const RECT& rect) : layout_(pango_layout_new(SharedTextContext())) {
    const PreparedText prepared = PrepareText(text, format);
    pango_layout_set_font_description(layout_, DescriptionOf(font));
    PangoAttrList* attributes = NewFontAttributes(font);
    for (const auto& [start, end] : prepared.underlined) {
      PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
      underline->start_index = start;
      underline->end_index = end;
      pango_attr_list_insert(attributes, underline);
    }
    pango_layout_set_attributes(layout_, attributes);
    pango_attr_list_unref(attributes);
    pango_layout_set_text(layout_, prepared.utf8.data(), static_cast<int>(prepared.utf8.size()));
    Shape(format, rect);
    Measure();
  }
  ~TextBlock() { g_object_unref(layout_); }
  TextBlock(const TextBlock&) = delete;
  TextBlock& operator=(const TextBlock&) = delete;

  const std::vector<Line>& lines() const { return lines_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  // DT_WORDBREAK breaks lines between words (and between Chinese characters) to
  // the rectangle's width; a word longer than the line stays whole, unless
  // DT_EDITCONTROL asks to break it as an edit control does. The ellipsis
  // styles cut what does not fit: each line of its own, or, with word breaks,
  // the last line that fits the rectangle's height.
  void Shape(UINT format, const RECT& rect) {
    const int width = std::max<LONG>(1, rect.right - rect.left);
    const bool wordBreak = (format & DT_WORDBREAK) != 0 && (format & DT_SINGLELINE) == 0;
    if (wordBreak) {
      pango_layout_set_width(layout_, width * PANGO_SCALE);
      pango_layout_set_wrap(layout_, (format & DT_EDITCONTROL) != 0 ? PANGO_WRAP_WORD_CHAR : PANGO_WRAP_WORD);
    }
    PangoEllipsizeMode ellipsis = PANGO_ELLIPSIZE_NONE;
    if ((format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) != 0) ellipsis = PANGO_ELLIPSIZE_END;
    if ((format & DT_PATH_ELLIPSIS) != 0) ellipsis = PANGO_ELLIPSIZE_MIDDLE;
    if (ellipsis != PANGO_ELLIPSIZE_NONE) {
      pango_layout_set_width(layout_, width * PANGO_SCALE);
      pango_layout_set_ellipsize(layout_, ellipsis);
      pango_layout_set_height(layout_, wordBreak ? std::max<LONG>(1, rect.bottom - rect.top) * PANGO_SCALE : -1);
    }
  }

  void Measure() {
    PangoLayoutIter* iter = pango_layout_get_iter(layout_);
    do {
      PangoRectangle logical;
      pango_layout_iter_get_line_extents(iter, nullptr, &logical);
      Line line{pango_layout_iter_get_line_readonly(iter), PANGO_PIXELS(logical.x), PANGO_PIXELS_CEIL(logical.width),
                PANGO_PIXELS(logical.y), PANGO_PIXELS(logical.y + logical.height) - PANGO_PIXELS(logical.y),
                PANGO_PIXELS(pango_layout_iter_get_baseline(iter))};
      width_ = std::max(width_, line.width);
      height_ = line.top + line.height;
      lines_.push_back(line);
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
  }

  PangoLayout* layout_;
  std::vector<Line> lines_;
  int width_ = 0;
  int height_ = 0;
};

int AlignedX(const RECT& rect, int width, UINT format) {
  const int room = rect.right - rect.left - width;
  if ((format & DT_CENTER) != 0) return rect.left + room / 2;
  if ((format & DT_RIGHT) != 0) return rect.left + room;
  return rect.left;
}

void DrawLines(const DC& dc, const TextBlock& block, const RECT& rect, int top, UINT format) {
  Canvas canvas(dc);
  cairo_t* cr = canvas.get();
  if ((format & DT_NOCLIP) == 0) canvas.ClipTo(rect);
  for (const Line& line : block.lines()) {
    const int x = AlignedX(rect, line.width, format);
    if (dc.state.bkMode == OPAQUE) {
      SetSourceColor(cr, dc.state.bkColor);
      cairo_rectangle(cr, x, top + line.top, line.width, line.height);
      cairo_fill(cr);
    }
    SetSourceColor(cr, dc.state.textColor);
    cairo_move_to(cr, x - line.offsetX, top + line.baseline);
    pango_cairo_show_layout_line(cr, line.line);
  }
}

std::u16string_view TextOf(LPCWSTR text, int count) {
  return std::u16string_view(text, count < 0 ? WideLength(text) : static_cast<std::size_t>(count));
}

}  // namespace
}  // namespace zv::gdi

using namespace zv::gdi;

// Vertical placement (DT_VCENTER, DT_BOTTOM) applies to single lines only. The
// result is the text's height, or with vertical placement the distance from the
// rectangle's top to the text's bottom. DT_CALCRECT draws nothing and sets the
// rectangle's right and bottom to the text's extent from its left and top.
int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr || text == nullptr || rect == nullptr) return Fail(ERROR_INVALID_PARAMETER, 0);
  std::lock_guard<std::recursive_mutex> guard(zv::TextLock());
  const TextBlock block(*dc->state.font, TextOf(text, count), format, *rect);
  if ((format & DT_CALCRECT) != 0) {
    rect->right = rect->left + block.width();
    rect->bottom = rect->top + block.height();
    return block.height();
  }
  int offset = 0;
  const bool placed = (format & DT_SINGLELINE) != 0 && (format & (DT_VCENTER | DT_BOTTOM)) != 0;
  if (placed) {
    const int room = rect->bottom - rect->top - block.height();
    offset = (format & DT_VCENTER) != 0 ? room / 2 : room;
  }
  DrawLines(*dc, block, *rect, rect->top + offset, format);
  return placed ? offset + block.height() : block.height();
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr || text == nullptr || size == nullptr || count < 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::recursive_mutex> guard(zv::TextLock());
  const TextBlock block(*dc->state.font, TextOf(text, count), DT_SINGLELINE | DT_NOPREFIX, RECT{0, 0, 0, 0});
  *size = SIZE{block.width(), block.height()};
  return TRUE;
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr || text == nullptr || count < 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::recursive_mutex> guard(zv::TextLock());
  constexpr UINT kFormat = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
  const TextBlock block(*dc->state.font, TextOf(text, count), kFormat, RECT{x, y, x, y});
  DrawLines(*dc, block, RECT{x, y, x + block.width(), y + block.height()}, y, kFormat);
  return TRUE;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, CLR_INVALID);
  const COLORREF previous = dc->state.textColor;
  dc->state.textColor = color & 0x00FFFFFF;
  return previous;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
  DC* dc = FindDC(hdc);
  return dc != nullptr ? dc->state.textColor : Fail(ERROR_INVALID_HANDLE, CLR_INVALID);
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, CLR_INVALID);
  const COLORREF previous = dc->state.bkColor;
  dc->state.bkColor = color & 0x00FFFFFF;
  return previous;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
  DC* dc = FindDC(hdc);
  return dc != nullptr ? dc->state.bkColor : Fail(ERROR_INVALID_HANDLE, CLR_INVALID);
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr) return Fail(ERROR_INVALID_HANDLE, 0);
  if (mode != TRANSPARENT && mode != OPAQUE) return Fail(ERROR_INVALID_PARAMETER, 0);
  const int previous = dc->state.bkMode;
  dc->state.bkMode = mode;
  return previous;
}

int WINAPI GetBkMode(HDC hdc) {
  DC* dc = FindDC(hdc);
  return dc != nullptr ? dc->state.bkMode : Fail(ERROR_INVALID_HANDLE, 0);
}
