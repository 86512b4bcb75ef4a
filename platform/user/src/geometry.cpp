#include "geometry.h"

namespace zv::user {

RECT RectOf(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) return RECT{0, 0, 0, 0};
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return window->rect;
}

POINT ScreenOrigin(HWND hwnd) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  POINT origin{0, 0};
  for (auto found = state.windows.find(hwnd); found != state.windows.end();
       found = state.windows.find(found->second->parent)) {
    origin.x += found->second->rect.left;
    origin.y += found->second->rect.top;
    if ((found->second->style & WS_CHILD) == 0) break;
  }
  return origin;
}

HWND TopLevelOf(HWND hwnd) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (auto found = state.windows.find(hwnd); found != state.windows.end();
       found = state.windows.find(found->second->parent)) {
    if ((found->second->style & WS_CHILD) == 0) return found->first;
  }
  return nullptr;
}

bool IsShown(HWND hwnd) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.windows.find(hwnd);
  if (found == state.windows.end()) return false;
  for (; found != state.windows.end(); found = state.windows.find(found->second->parent)) {
    if ((found->second->style & WS_VISIBLE) == 0) return false;
    if ((found->second->style & WS_CHILD) == 0) break;
  }
  return true;
}

bool HasStyle(HWND hwnd, DWORD bits) {
  const auto window = FindRecord(hwnd);
  if (!window) return false;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return (window->style & bits) == bits;
}

std::vector<HWND> TopLevelsInOrder() {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.topLevels;
}

}  // namespace zv::user
