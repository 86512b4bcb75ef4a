#include "pixels.h"

#include <algorithm>

namespace zv::test {

Dib::Dib(int width, int height, bool bottomUp) : width_(width), height_(height), bottomUp_(bottomUp) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = bottomUp ? height : -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<std::uint32_t*>(bits);
  dc_ = CreateCompatibleDC(nullptr);
  previous_ = SelectObject(dc_, bitmap_);
}

Dib::~Dib() {
  SelectObject(dc_, previous_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

std::uint32_t Dib::At(int x, int y) const { return MemoryRow(bottomUp_ ? height_ - 1 - y : y)[x]; }

void Dib::Set(int x, int y, std::uint32_t argb) { MemoryRow(bottomUp_ ? height_ - 1 - y : y)[x] = argb; }

void Dib::Fill(std::uint32_t argb) { std::fill(bits_, bits_ + static_cast<std::ptrdiff_t>(width_) * height_, argb); }

RECT Dib::InkBox(std::uint32_t background) const {
  RECT box{width_, height_, 0, 0};
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (At(x, y) == background) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box.right == 0 ? RECT{0, 0, 0, 0} : box;
}

std::string Dib::Picture(std::uint32_t ink) const {
  std::string text;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) text += At(x, y) == ink ? '#' : '.';
    text += '\n';
  }
  return text;
}

}  // namespace zv::test
