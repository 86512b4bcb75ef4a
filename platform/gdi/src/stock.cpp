#include "stock.h"

#include <array>
#include <cstring>
#include <string>

#include "bitmaps.h"

namespace zv::gdi {
namespace {

template <class T>
T* MakeStock(T* object) {
  object->stock = true;
  Register(object);
  return object;
}

Brush* SolidStockBrush(COLORREF color) {
  auto* brush = new Brush();
  brush->color = color;
  return MakeStock(brush);
}

Pen* StockPen(int style, COLORREF color) {
  auto* pen = new Pen();
  pen->style = style;
  pen->color = color;
  return MakeStock(pen);
}

Font* StockFont(LONG height, LONG weight, const char16_t* face) {
  auto* font = new Font();
  font->log.lfHeight = height;
  font->log.lfWeight = weight;
  font->log.lfCharSet = DEFAULT_CHARSET;
  font->log.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  std::memcpy(font->log.lfFaceName, face, std::char_traits<char16_t>::length(face) * sizeof(char16_t));
  return MakeStock(font);
}

struct StockTable {
  std::array<Object*, DEFAULT_GUI_FONT + 1> objects{};
  Bitmap* bitmap = nullptr;

  StockTable() {
    objects[WHITE_BRUSH] = SolidStockBrush(RGB(255, 255, 255));
    objects[LTGRAY_BRUSH] = SolidStockBrush(RGB(192, 192, 192));
    objects[GRAY_BRUSH] = SolidStockBrush(RGB(128, 128, 128));
    objects[DKGRAY_BRUSH] = SolidStockBrush(RGB(64, 64, 64));
    objects[BLACK_BRUSH] = SolidStockBrush(RGB(0, 0, 0));
    auto* nullBrush = SolidStockBrush(0);
    nullBrush->null = true;
    objects[NULL_BRUSH] = nullBrush;
    objects[WHITE_PEN] = StockPen(PS_SOLID, RGB(255, 255, 255));
    objects[BLACK_PEN] = StockPen(PS_SOLID, RGB(0, 0, 0));
    objects[NULL_PEN] = StockPen(PS_NULL, 0);
    // The fonts keep the heights Windows gives them at 96 dots per inch; their
    // faces resolve through the layer's own font configuration.
    objects[SYSTEM_FONT] = StockFont(16, FW_BOLD, u"System");
    objects[DEVICE_DEFAULT_FONT] = objects[SYSTEM_FONT];
    objects[ANSI_VAR_FONT] = StockFont(12, FW_NORMAL, u"MS Sans Serif");
    objects[DEFAULT_GUI_FONT] = StockFont(-11, FW_NORMAL, u"MS Shell Dlg");
    bitmap = MakeStock(NewImageBitmap(1, 1));
  }
};

StockTable& Table() {
  static auto* table = new StockTable();  // process lifetime, like the objects themselves
  return *table;
}

}  // namespace

HGDIOBJ StockObject(int index) {
  if (index < 0 || index >= static_cast<int>(Table().objects.size())) return nullptr;
  return Table().objects[static_cast<std::size_t>(index)];
}

Bitmap* DefaultBitmap() { return Table().bitmap; }

}  // namespace zv::gdi
