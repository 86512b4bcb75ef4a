#include "surface.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "geometry.h"
#include "state.h"
#include "zv/gdi_surface.h"

namespace zv::user {

namespace {

struct WindowDC {
  HWND hwnd;
  std::shared_ptr<Surface> surface;  // kept alive while the DC exists
};

std::mutex dcMutex;
std::map<HDC, WindowDC>& LiveDCs() {
  static auto* const dcs = new std::map<HDC, WindowDC>();
  return *dcs;
}

// A surface is never smaller than one pixel, so a window that has no size yet
// still has a device context to measure text with.
std::shared_ptr<Surface> Fit(std::shared_ptr<Surface> old, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (old && old->width == width && old->height == height) return old;
  auto fresh = std::make_shared<Surface>();
  fresh->width = width;
  fresh->height = height;
  fresh->pixels.assign(static_cast<std::size_t>(width) * height, 0);
  if (old) {
    const int rows = std::min(height, old->height);
    const int columns = std::min(width, old->width);
    for (int y = 0; y < rows; ++y) {
      std::copy_n(old->pixels.begin() + static_cast<std::ptrdiff_t>(y) * old->width, columns,
                  fresh->pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
  }
  return fresh;
}

std::shared_ptr<Surface> SurfaceOf(HWND top) {
  const auto window = FindRecord(top);
  if (!window) return nullptr;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  window->surface = Fit(window->surface, window->rect.right - window->rect.left,
                        window->rect.bottom - window->rect.top);
  return window->surface;
}

// The part of the window's client area that drawing may reach, in the
// coordinates of its top-level ancestor's pixels.
HRGN DrawableRegion(HWND hwnd, HWND top, HRGN limit) {
  const RECT rect = RectOf(hwnd);
  const POINT origin = ScreenOrigin(hwnd);
  const POINT topOrigin = ScreenOrigin(top);
  const int dx = origin.x - topOrigin.x;
  const int dy = origin.y - topOrigin.y;
  HRGN area = CreateRectRgn(dx, dy, dx + rect.right - rect.left, dy + rect.bottom - rect.top);
  if (limit) {
    HRGN shifted = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(shifted, limit, nullptr, RGN_COPY);
    OffsetRgn(shifted, dx, dy);
    CombineRgn(area, area, shifted, RGN_AND);
    DeleteObject(shifted);
  }
  const auto window = FindRecord(top);
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (window && window->region) CombineRgn(area, area, window->region, RGN_AND);
  return area;
}

}  // namespace

HDC NewWindowDC(HWND hwnd, HRGN limit) {
  const HWND top = TopLevelOf(hwnd);
  const auto surface = top ? SurfaceOf(top) : nullptr;
  if (!surface) return nullptr;
  HDC hdc = CreateSurfaceDC(surface->pixels.data(), surface->width, surface->height,
                            surface->width * 4);
  if (!hdc) return nullptr;
  HRGN visible = DrawableRegion(hwnd, top, limit);
  SetSurfaceVisibleRegion(hdc, visible);
  DeleteObject(visible);
  const POINT origin = ScreenOrigin(hwnd);
  const POINT topOrigin = ScreenOrigin(top);
  SetViewportOrgEx(hdc, origin.x - topOrigin.x, origin.y - topOrigin.y, nullptr);
  std::lock_guard<std::mutex> lock(dcMutex);
  LiveDCs()[hdc] = WindowDC{hwnd, surface};
  return hdc;
}

bool ReleaseWindowDC(HDC hdc) {
  WindowDC released;
  {
    std::lock_guard<std::mutex> lock(dcMutex);
    const auto found = LiveDCs().find(hdc);
    if (found == LiveDCs().end()) return false;
    released = found->second;
    LiveDCs().erase(found);
  }
  DestroySurfaceDC(hdc);
  PresentWindow(TopLevelOf(released.hwnd));
  return true;
}

void ResizeSurface(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) return;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (window->surface) {
    window->surface = Fit(window->surface, window->rect.right - window->rect.left,
                          window->rect.bottom - window->rect.top);
  }
}

void PresentWindow(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) return;
  std::shared_ptr<Surface> surface;
  DisplayWindow* part = nullptr;
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    surface = window->surface;
    part = window->display.get();
  }
  if (part && surface) {
    part->Present(surface->pixels.data(), surface->width, surface->height, surface->width * 4);
  }
}

std::vector<std::uint32_t> ReadWindowPixels(HWND hwnd, int* width, int* height) {
  *width = *height = 0;
  const auto window = FindRecord(hwnd);
  if (!window) return {};
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!window->surface) return {};
  *width = window->surface->width;
  *height = window->surface->height;
  return window->surface->pixels;
}

}  // namespace zv::user
