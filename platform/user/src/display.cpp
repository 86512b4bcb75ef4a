#include "display.h"

#include "state.h"

namespace zv::user {

void AttachDisplay(Display* display) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.display = display;
}

Display* AttachedDisplay() {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.display;
}

bool SetDisplayWindow(HWND hwnd, std::unique_ptr<DisplayWindow> part) {
  State& state = State::Get();
  std::unique_ptr<DisplayWindow> old;
  std::lock_guard<std::mutex> lock(state.mutex);
  const auto found = state.windows.find(hwnd);
  if (found == state.windows.end()) return false;
  old = std::move(found->second->display);
  found->second->display = std::move(part);
  return true;
}

DisplayWindow* GetDisplayWindow(HWND hwnd) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  const auto found = state.windows.find(hwnd);
  return found == state.windows.end() ? nullptr : found->second->display.get();
}

}  // namespace zv::user
