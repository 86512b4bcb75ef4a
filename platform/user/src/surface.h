// The pixels behind top-level windows, the device contexts that draw into
// them, and showing them on the display.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "win/user.h"

namespace zv::user {

// 32-bit premultiplied BGRA pixels, top-down, `width` pixels a row (the
// memory layout of a 32-bit DIB and of gdi's device contexts).
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// A device context on the window's pixels: a child window draws into its
// top-level ancestor's pixels through its own origin. Drawing is limited to
// the window's client area and region, and further to `limit` (client
// coordinates) when given. Null for a window of another process or none.
HDC NewWindowDC(HWND hwnd, HRGN limit);
// Releases a DC made by NewWindowDC and shows the window's pixels; false for
// any other DC.
bool ReleaseWindowDC(HDC hdc);
// Shows a top-level window's current pixels on its on-screen part.
void PresentWindow(HWND hwnd);
// Makes the window's pixels fit its current size, keeping what fits.
void ResizeSurface(HWND hwnd);

// Test hook of the layer: a copy of a top-level window's pixels, as the
// display is shown them. Empty for a window without pixels.
std::vector<std::uint32_t> ReadWindowPixels(HWND hwnd, int* width, int* height);

}  // namespace zv::user
