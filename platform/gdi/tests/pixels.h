// Test helper: a 32-bit DIB section selected into its own memory DC, with its
// pixels read back as 0xAARRGGBB values (premultiplied, as stored).
#pragma once

#include <cstdint>
#include <string>

#include "win/gdi.h"

namespace zv::test {

class Dib {
 public:
  Dib(int width, int height, bool bottomUp = false);
  ~Dib();
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixel at (x, y), counted from the top-left corner as drawn.
  std::uint32_t At(int x, int y) const;
  void Set(int x, int y, std::uint32_t argb);
  void Fill(std::uint32_t argb);
  // The memory word of row `row` as stored (row 0 first in memory).
  std::uint32_t* MemoryRow(int row) const { return bits_ + static_cast<std::ptrdiff_t>(row) * width_; }
  // Bounding box of the pixels that differ from `background`; empty when none do.
  RECT InkBox(std::uint32_t background) const;
  // Rows as text ("#" for pixels equal to `ink`, "." otherwise), for readable failures.
  std::string Picture(std::uint32_t ink) const;

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  std::uint32_t* bits_ = nullptr;
  int width_;
  int height_;
  bool bottomUp_;
};

}  // namespace zv::test
