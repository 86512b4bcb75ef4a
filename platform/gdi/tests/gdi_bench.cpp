// Painting costs: a full repaint of the upgrade window's 500x310 client area the
// way the toolkit paints it, and one line of Chinese text.
#include <benchmark/benchmark.h>

#include <vector>

#include "gdiplus.h"
#include "pixels.h"
#include "win/gdi.h"
#include "zv/gdi_surface.h"

namespace {

using zv::test::Dib;

HFONT SkinFont() {
  LOGFONTW log{};
  log.lfHeight = -12;
  log.lfWeight = FW_NORMAL;
  const char16_t face[] = u"Microsoft YaHei";
  std::copy(std::begin(face), std::end(face), log.lfFaceName);
  return CreateFontIndirectW(&log);
}

void Gradient(Dib& image, bool translucent) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const std::uint32_t alpha = translucent ? (x * 255 / image.width()) : 255;
      const std::uint32_t value = (x + y) % 256 * alpha / 255;
      image.Set(x, y, alpha << 24 | value << 16 | value << 8 | value);
    }
  }
}

void FullRepaint(benchmark::State& state) {
  std::vector<std::uint32_t> window(500 * 310);
  HDC screen = zv::CreateSurfaceDC(window.data(), 500, 310, 500 * 4);
  Dib background(500, 340);
  Dib logo(16, 16);
  Dib close(56, 28);
  Dib button(120, 108);
  Gradient(background, false);
  Gradient(logo, true);
  Gradient(close, true);
  Gradient(button, true);
  HFONT font = SkinFont();
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  for (auto _ : state) {
    HDC offscreen = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 500, 310);
    HGDIOBJ oldBitmap = SelectObject(offscreen, bitmap);
    SetStretchBltMode(offscreen, COLORONCOLOR);
    StretchBlt(offscreen, 0, 0, 500, 310, background.dc(), 0, 0, 500, 340, SRCCOPY);
    {
      Gdiplus::Graphics graphics(offscreen);
      Gdiplus::SolidBrush strip{Gdiplus::Color(0xFF17212E)};
      Gdiplus::SolidBrush veil{Gdiplus::Color(0x807D8EAC)};
      graphics.FillRectangle(&strip, 0, 0, 500, 30);
      graphics.FillRectangle(&veil, 35, 60, 430, 150);
      graphics.FillRectangle(&strip, 30, 272, 440, 6);
    }
    AlphaBlend(offscreen, 10, 7, 16, 16, logo.dc(), 0, 0, 16, 16, blend);
    AlphaBlend(offscreen, 466, 1, 28, 28, close.dc(), 0, 0, 28, 28, blend);
    AlphaBlend(offscreen, 190, 230, 120, 36, button.dc(), 0, 0, 120, 36, blend);
    HGDIOBJ oldFont = SelectObject(offscreen, font);
    SetBkMode(offscreen, TRANSPARENT);
    SetTextColor(offscreen, RGB(255, 255, 255));
    RECT title{30, 0, 300, 30};
    DrawTextW(offscreen, u"Zorvik", -1, &title, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    RECT progress{30, 250, 470, 270};
    DrawTextW(offscreen, u"升级中，请稍候... 42%", -1, &progress, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    RECT measure{0, 0, 440, 9999};
    DrawTextW(offscreen, u"升级中，请稍候... 42%", -1, &measure, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    SelectObject(offscreen, oldFont);
    BitBlt(screen, 0, 0, 500, 310, offscreen, 0, 0, SRCCOPY);
    SelectObject(offscreen, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(offscreen);
  }
  DeleteObject(font);
  zv::DestroySurfaceDC(screen);
}
BENCHMARK(FullRepaint)->Unit(benchmark::kMicrosecond);

void ChineseLine(benchmark::State& state) {
  Dib dib(500, 20);
  HFONT font = SkinFont();
  HGDIOBJ old = SelectObject(dib.dc(), font);
  SetBkMode(dib.dc(), TRANSPARENT);
  for (auto _ : state) {
    RECT rect{0, 0, 500, 20};
    DrawTextW(dib.dc(), u"本次更新修复了若干问题，提升了加速稳定性与连接速度。", -1, &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  SelectObject(dib.dc(), old);
  DeleteObject(font);
}
BENCHMARK(ChineseLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
