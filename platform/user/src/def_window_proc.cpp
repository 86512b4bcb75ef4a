// The default window procedure, for the messages that need no display.
#include <algorithm>

#include "state.h"
#include "win/kernel.h"

namespace {

void StoreText(HWND hwnd, LPCWSTR text) {
  const auto window = zv::user::FindRecord(hwnd);
  if (!window) return;
  std::u16string copy = text ? std::u16string(text) : std::u16string();
  zv::user::State& state = zv::user::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  window->text.swap(copy);
}

std::u16string ReadText(HWND hwnd) {
  const auto window = zv::user::FindRecord(hwnd);
  if (!window) return {};
  zv::user::State& state = zv::user::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return window->text;
}

LRESULT CopyText(HWND hwnd, WPARAM capacity, LPARAM buffer) {
  auto* out = reinterpret_cast<WCHAR*>(buffer);
  if (capacity == 0 || out == nullptr) return 0;
  const std::u16string text = ReadText(hwnd);
  const std::size_t count = std::min<std::size_t>(text.size(), capacity - 1);
  std::copy_n(text.data(), count, out);
  out[count] = 0;
  return static_cast<LRESULT>(count);
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      // The title is set here, so a procedure that answers WM_NCCREATE by
      // itself leaves its window untitled, as on Windows.
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (create && create->lpszName && !zv::user::IsAtomName(create->lpszName)) {
        StoreText(hwnd, create->lpszName);
      }
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SETTEXT:
      StoreText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
      return TRUE;
    case WM_GETTEXT:
      return CopyText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(ReadText(hwnd).size());
    default:
      return 0;
  }
}
