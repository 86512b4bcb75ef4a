// The default window procedure.
#include <algorithm>

#include "display.h"
#include "geometry.h"
#include "input.h"
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

HWND ParentOf(HWND hwnd) { return zv::user::HasStyle(hwnd, WS_CHILD) ? GetParent(hwnd) : nullptr; }

LRESULT HitTest(HWND hwnd, LPARAM lParam) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&rect, point) ? HTCLIENT : HTNOWHERE;
}

// A child asks its parent first; in the client area the class cursor shows,
// elsewhere the arrow.
LRESULT SetCursorFor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (HWND parent = ParentOf(hwnd)) {
    if (SendMessageW(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
  }
  const auto hit = static_cast<SHORT>(LOWORD(lParam));
  if (hit == HTCLIENT) {
    const auto window = zv::user::FindRecord(hwnd);
    if (window && window->windowClass->cursor) {
      SetCursor(window->windowClass->cursor);
      return TRUE;
    }
    return FALSE;
  }
  if (hit == HTERROR || hit == HTNOWHERE) return FALSE;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  return TRUE;
}

LRESULT SystemCommand(HWND hwnd, WPARAM wParam) {
  switch (wParam & 0xFFF0) {
    case SC_CLOSE: SendMessageW(hwnd, WM_CLOSE, 0, 0); break;
    case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); break;
    case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); break;
    case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
    // Moving follows the mouse, whether or not a window manager is there.
    case SC_MOVE: zv::user::BeginWindowDrag(hwnd); break;
    default: break;
  }
  return 0;
}

LRESULT EraseBackground(HWND hwnd, HDC hdc) {
  const auto window = zv::user::FindRecord(hwnd);
  if (!window || !window->windowClass->background || !hdc) return 0;
  HBRUSH brush = window->windowClass->background;
  const auto value = reinterpret_cast<ULONG_PTR>(brush);
  // Small values name a system colour, plus one.
  const bool systemColour = value > 0 && value <= 31;
  if (systemColour) brush = CreateSolidBrush(GetSysColor(static_cast<int>(value - 1)));
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(hdc, &client, brush);
  if (systemColour) DeleteObject(brush);
  return 1;
}

// WM_MOVE and WM_SIZE follow a change of place or size.
void AnnouncePlacement(HWND hwnd, const WINDOWPOS& pos) {
  if ((pos.flags & SWP_NOMOVE) == 0) {
    const RECT rect = zv::user::RectOf(hwnd);
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
  }
  if ((pos.flags & SWP_NOSIZE) == 0) {
    RECT client;
    GetClientRect(hwnd, &client);
    const WPARAM kind = IsIconic(hwnd) ? SIZE_MINIMIZED : (IsZoomed(hwnd) ? SIZE_MAXIMIZED : SIZE_RESTORED);
    SendMessageW(hwnd, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
  }
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
      return SystemCommand(hwnd, wParam);
    case WM_NCHITTEST:
      return HitTest(hwnd, lParam);
    case WM_SETCURSOR:
      return SetCursorFor(hwnd, wParam, lParam);
    case WM_MOUSEACTIVATE:
      if (HWND parent = ParentOf(hwnd)) {
        if (const LRESULT answer = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam)) return answer;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) SetFocus(hwnd);
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCAPTION) SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
      return 0;
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCAPTION && zv::user::HasStyle(hwnd, WS_MAXIMIZEBOX)) {
        SendMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      }
      return 0;
    case WM_SYSKEYDOWN:
      // ALT+F4 closes the top-level window.
      if (wParam == static_cast<WPARAM>(VK_F4) && (lParam & (LPARAM{1} << 29))) {
        HWND top = zv::user::TopLevelOf(hwnd);
        SendMessageW(top ? top : hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_RBUTTONUP: {
      POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &point);
      SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(point.x, point.y));
      return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
      // Children pass these on to their parent.
      if (HWND parent = ParentOf(hwnd)) return SendMessageW(parent, msg, wParam, lParam);
      return 0;
    case WM_ERASEBKGND:
      return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_WINDOWPOSCHANGED:
      if (lParam) AnnouncePlacement(hwnd, *reinterpret_cast<const WINDOWPOS*>(lParam));
      return 0;
    case WM_SETTEXT:
      StoreText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
      if (auto* part = zv::user::GetDisplayWindow(hwnd)) part->SetTitle(ReadText(hwnd));
      return TRUE;
    case WM_GETTEXT:
      return CopyText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(ReadText(hwnd).size());
    default:
      return 0;
  }
}
