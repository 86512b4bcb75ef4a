// Shared by the display tests: the offscreen SDL driver for every test of
// this program, raw input injected at the layer's own boundary, and a pump.
#pragma once

#include <cstdint>
#include <vector>

#include "input.h"
#include "recorder.h"
#include "surface.h"

namespace user_test {

inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

inline void MoveTo(int x, int y, DWORD time = 0) {
  zv::user::RawInput raw;
  raw.kind = zv::user::RawKind::Move;
  raw.screen = POINT{x, y};
  raw.time = time ? time : GetTickCount();
  zv::user::InjectInput(raw);
}

inline void Button(int x, int y, bool down, int button = 0, DWORD time = 0) {
  zv::user::RawInput raw;
  raw.kind = zv::user::RawKind::Button;
  raw.screen = POINT{x, y};
  raw.button = button;
  raw.down = down;
  raw.time = time ? time : GetTickCount();
  zv::user::InjectInput(raw);
}

inline void Click(int x, int y, DWORD time = 0) {
  MoveTo(x, y, time);
  Button(x, y, true, 0, time);
  Button(x, y, false, 0, time);
}

inline void Key(UINT vk, bool down) {
  zv::user::RawInput raw;
  raw.kind = zv::user::RawKind::Key;
  raw.virtualKey = vk;
  raw.down = down;
  raw.time = GetTickCount();
  zv::user::InjectInput(raw);
}

inline void Wheel(int x, int y, int delta) {
  zv::user::RawInput raw;
  raw.kind = zv::user::RawKind::Wheel;
  raw.screen = POINT{x, y};
  raw.wheelDelta = delta;
  raw.time = GetTickCount();
  zv::user::InjectInput(raw);
}

// The window's pixel at a client point, as 0xAARRGGBB.
inline std::uint32_t PixelAt(HWND hwnd, int x, int y) {
  int width = 0;
  int height = 0;
  const std::vector<std::uint32_t> pixels = zv::user::ReadWindowPixels(hwnd, &width, &height);
  if (x < 0 || y < 0 || x >= width || y >= height) return 0xDEADBEEF;
  return pixels[static_cast<std::size_t>(y) * width + x];
}

}  // namespace user_test
