// Figures for painting a window: a full repaint of a 500 x 310 window, drawn
// into an offscreen DIB and copied to the window with BitBlt in WM_PAINT, as
// the toolkit paints. Without a display the copy ends in the window's pixels;
// with one (DISPLAY set) it is also shown.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include <windows.h>

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 310;

HDC offscreen = nullptr;

LRESULT Paint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcW(hwnd, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC hdc = BeginPaint(hwnd, &paint);
  BitBlt(hdc, 0, 0, kWidth, kHeight, offscreen, 0, 0, SRCCOPY);
  EndPaint(hwnd, &paint);
  return 0;
}

void BM_FullRepaintThroughOffscreenDib(benchmark::State& state) {
  const std::string narrow = "ZvPaintBench" + std::to_string(getpid());
  const std::u16string name(narrow.begin(), narrow.end());
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Paint;
  wc.lpszClassName = name.c_str();
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, name.c_str(), u"bench", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                              nullptr, nullptr);
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  offscreen = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(offscreen, dib);
  HBRUSH brush = CreateSolidBrush(RGB(40, 90, 160));
  const RECT all{0, 0, kWidth, kHeight};
  FillRect(offscreen, &all, brush);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  for (auto _ : state) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
  }
  DestroyWindow(hwnd);
  DeleteObject(brush);
  SelectObject(offscreen, old);
  DeleteObject(dib);
  DeleteDC(offscreen);
}
BENCHMARK(BM_FullRepaintThroughOffscreenDib)->Unit(benchmark::kMicrosecond);

}  // namespace
