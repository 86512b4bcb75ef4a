// MessageBoxW: a modal box of the layer's own windows on a display, a line
// on standard error without one.
#include <cstdio>
#include <string>
#include <vector>

#include "display.h"
#include "win/kernel.h"
#include "zv/text.h"

namespace {

constexpr int kWidth = 360;
constexpr int kCaption = 28;
constexpr int kMargin = 16;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

struct Button {
  int id;
  const char16_t* label;
  RECT rect;
};

struct Box {
  std::u16string caption;
  std::u16string text;
  std::vector<Button> buttons;
  int cancelId = 0;  // what ESC and closing answer; 0: they do nothing
  int pressed = 0;
  int result = 0;
  HFONT font = nullptr;
};

std::vector<Button> ButtonsFor(UINT type, int* cancelId) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      *cancelId = IDCANCEL;
      return {{IDOK, u"OK", {}}, {IDCANCEL, u"Cancel", {}}};
    case MB_YESNO:
      *cancelId = 0;
      return {{IDYES, u"Yes", {}}, {IDNO, u"No", {}}};
    default:
      *cancelId = IDOK;
      return {{IDOK, u"OK", {}}};
  }
}

// Nobody can answer without a display: the box says its text on standard
// error and answers as a careful user would when walking away, with Cancel
// or No where the box offers them, so that no question is taken as agreed.
int AnswerWithoutDisplay(LPCWSTR text, LPCWSTR caption, UINT type) {
  const std::string line = zv::ToUtf8(caption ? caption : u"Error") + ": " + zv::ToUtf8(text ? text : u"");
  std::fprintf(stderr, "%s\n", line.c_str());
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    default: return IDOK;
  }
}

Box* BoxOf(HWND hwnd) { return reinterpret_cast<Box*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

void Answer(HWND hwnd, Box& box, int id) {
  box.result = id;
  DestroyWindow(hwnd);
}

void Paint(HWND hwnd, Box& box) {
  PAINTSTRUCT paint;
  HDC hdc = BeginPaint(hwnd, &paint);
  RECT client;
  GetClientRect(hwnd, &client);
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  HBRUSH strip = CreateSolidBrush(GetSysColor(COLOR_ACTIVECAPTION));
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
  FillRect(hdc, &client, face);
  RECT caption{0, 0, client.right, kCaption};
  FillRect(hdc, &caption, strip);
  FrameRect(hdc, &client, frame);
  HGDIOBJ oldFont = SelectObject(hdc, box.font);
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
  RECT captionText{kMargin / 2, 0, client.right - kMargin / 2, kCaption};
  DrawTextW(hdc, box.caption.c_str(), -1, &captionText, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  RECT text{kMargin, kCaption + kMargin, client.right - kMargin, client.bottom - kButtonHeight - 2 * kMargin};
  DrawTextW(hdc, box.text.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
  for (const Button& button : box.buttons) {
    FillRect(hdc, &button.rect, box.pressed == button.id ? strip : face);
    FrameRect(hdc, &button.rect, frame);
    RECT label = button.rect;
    DrawTextW(hdc, button.label, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
  }
  SelectObject(hdc, oldFont);
  DeleteObject(face);
  DeleteObject(strip);
  DeleteObject(frame);
  EndPaint(hwnd, &paint);
}

int ButtonAt(const Box& box, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  for (const Button& button : box.buttons) {
    if (PtInRect(&button.rect, point)) return button.id;
  }
  return 0;
}

LRESULT BoxProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Box* box = BoxOf(hwnd);
  if (!box) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      Paint(hwnd, *box);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST: {
      POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd, &point);
      return point.y >= 0 && point.y < kCaption ? HTCAPTION : DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
      box->pressed = ButtonAt(*box, lParam);
      if (box->pressed) SetCapture(hwnd);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP: {
      const int pressed = box->pressed;
      box->pressed = 0;
      ReleaseCapture();
      InvalidateRect(hwnd, nullptr, FALSE);
      if (pressed && pressed == ButtonAt(*box, lParam)) Answer(hwnd, *box, pressed);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == static_cast<WPARAM>(VK_RETURN)) Answer(hwnd, *box, box->buttons.front().id);
      if (wParam == static_cast<WPARAM>(VK_ESCAPE) && box->cancelId) Answer(hwnd, *box, box->cancelId);
      return 0;
    case WM_CLOSE:
      if (box->cancelId) Answer(hwnd, *box, box->cancelId);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LPCWSTR BoxClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &BoxProcedure;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = u"ZvLayerMessageBox";
    return RegisterClassExW(&wc) != 0;
  }();
  return registered ? u"ZvLayerMessageBox" : nullptr;
}

// Lays the box out around its text and centres it over the owner, or over
// the work area without one.
RECT LayOut(Box& box, HWND owner) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, box.font);
  RECT text{0, 0, kWidth - 2 * kMargin, 0};
  DrawTextW(screen, box.text.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  const int height = kCaption + kMargin + (text.bottom - text.top) + kMargin + kButtonHeight + kMargin;
  int right = kWidth - kMargin;
  for (auto it = box.buttons.rbegin(); it != box.buttons.rend(); ++it) {
    it->rect = RECT{right - kButtonWidth, height - kMargin - kButtonHeight, right, height - kMargin};
    right -= kButtonWidth + kMargin / 2;
  }
  RECT area;
  if (owner && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
    area = monitor.rcWork;
  }
  const int left = (area.left + area.right - kWidth) / 2;
  const int top = (area.top + area.bottom - height) / 2;
  return RECT{left, top, left + kWidth, top + height};
}

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (!zv::user::EnsureDisplay() || !BoxClass()) return AnswerWithoutDisplay(text, caption, type);
  Box box;
  box.caption = caption ? caption : u"Error";
  box.text = text ? text : u"";
  box.buttons = ButtonsFor(type, &box.cancelId);
  LOGFONTW face{};
  face.lfHeight = -12;
  face.lfWeight = FW_NORMAL;
  std::u16string name = u"Microsoft YaHei";
  std::copy(name.begin(), name.end(), face.lfFaceName);
  box.font = CreateFontIndirectW(&face);
  const RECT rect = LayOut(box, owner);
  HWND hwnd = CreateWindowExW(0, BoxClass(), box.caption.c_str(), WS_POPUP, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, nullptr, &box);
  if (!hwnd) {
    DeleteObject(box.font);
    return 0;
  }
  // Modal: the owner takes no input while the box is up.
  const bool disabledOwner = owner && IsWindowEnabled(owner) && !EnableWindow(owner, FALSE);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  MSG msg;
  bool quit = false;
  while (IsWindow(hwnd)) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      quit = true;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The owner comes back before the box goes, so that it is the one that
  // takes the activation.
  if (disabledOwner) EnableWindow(owner, TRUE);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  // A quit request ends the box and goes on to the loop outside.
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  DeleteObject(box.font);
  return quit ? 0 : box.result;
}
