// A borderless window that paints text and an image, reacts to clicks, the
// wheel and typing, can be dragged by its top strip and shows a modal box
// over itself. Every reaction is also written as a line on standard output,
// so that a test can follow it from outside.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 310;
constexpr int kStrip = 36;
constexpr RECT kClose{kWidth - kStrip, 0, kWidth, kStrip};
constexpr RECT kClickButton{200, 220, 330, 256};
constexpr RECT kBoxButton{345, 220, 475, 256};

struct State {
  int clicks = 0;
  int doubleClicks = 0;
  int wheel = 0;
  std::u16string typed;
  std::u16string answer;
  HFONT font = nullptr;
  HFONT titleFont = nullptr;
  HDC image = nullptr;
  HBITMAP imageBitmap = nullptr;
};

State state;

void Say(const char* format, int a = 0, int b = 0) {
  std::printf(format, a, b);
  std::printf("\n");
  std::fflush(stdout);
}

HFONT Font(int height, LONG weight) {
  LOGFONTW face{};
  face.lfHeight = -height;
  face.lfWeight = weight;
  const std::u16string name = u"Microsoft YaHei";
  name.copy(face.lfFaceName, name.size());
  return CreateFontIndirectW(&face);
}

// A 64 x 64 image with per-pixel alpha: a blue disc fading out at its edge.
void MakeImage() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 64;
  info.bmiHeader.biHeight = -64;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  state.imageBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<DWORD*>(bits);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int dx = x - 32;
      const int dy = y - 32;
      const int distance = dx * dx + dy * dy;
      const DWORD alpha = distance < 28 * 28 ? 255 : (distance < 32 * 32 ? 128 : 0);
      // Premultiplied: each colour at most its alpha.
      const DWORD blue = alpha;
      const DWORD green = alpha * (x * 2) / 255;
      pixels[y * 64 + x] = (alpha << 24) | (green << 8) | blue;
    }
  }
  state.image = CreateCompatibleDC(nullptr);
  SelectObject(state.image, state.imageBitmap);
}

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

void Fill(HDC hdc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(hdc, &rect, brush);
  DeleteObject(brush);
}

void Text(HDC hdc, const std::u16string& text, RECT rect, UINT format, COLORREF colour) {
  SetTextColor(hdc, colour);
  DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

void DrawButton(HDC hdc, const RECT& rect, const std::u16string& label) {
  Fill(hdc, rect, RGB(225, 232, 242));
  HBRUSH frame = CreateSolidBrush(RGB(40, 90, 160));
  FrameRect(hdc, &rect, frame);
  DeleteObject(frame);
  Text(hdc, label, rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER, RGB(20, 40, 80));
}

void Draw(HDC hdc) {
  Fill(hdc, RECT{0, 0, kWidth, kHeight}, RGB(246, 248, 251));
  Fill(hdc, RECT{0, 0, kWidth, kStrip}, RGB(40, 90, 160));
  SetBkMode(hdc, TRANSPARENT);
  HGDIOBJ old = SelectObject(hdc, state.titleFont);
  Text(hdc, u"Zorvik sample window", RECT{12, 0, kWidth - kStrip, kStrip}, DT_SINGLELINE | DT_VCENTER,
       RGB(255, 255, 255));
  Text(hdc, u"\u00D7", kClose, DT_SINGLELINE | DT_CENTER | DT_VCENTER, RGB(255, 255, 255));
  SelectObject(hdc, state.font);
  Text(hdc, u"这是一个示例窗口：拖动蓝色标题栏可以移动窗口。Drag the blue strip to move the window.",
       RECT{110, 56, kWidth - 20, 130}, DT_WORDBREAK | DT_CENTER, RGB(30, 30, 30));
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(hdc, 24, 56, 64, 64, state.image, 0, 0, 64, 64, blend);
  const std::u16string counts = u"Clicks: " + Decimal(state.clicks) + u"   Double clicks: " +
                                Decimal(state.doubleClicks);
  Text(hdc, counts, RECT{24, 150, kWidth - 20, 172}, DT_SINGLELINE, RGB(30, 30, 30));
  Text(hdc, u"Typed: " + state.typed + u"   " + state.answer, RECT{24, 178, kWidth - 20, 200}, DT_SINGLELINE,
       RGB(30, 30, 30));
  DrawButton(hdc, kClickButton, u"Click me");
  DrawButton(hdc, kBoxButton, u"Show a box");
  SelectObject(hdc, old);
}

// Painting goes through an offscreen bitmap, as the toolkit does it.
void Paint(HWND hwnd) {
  PAINTSTRUCT paint;
  HDC hdc = BeginPaint(hwnd, &paint);
  HDC memory = CreateCompatibleDC(hdc);
  HBITMAP bitmap = CreateCompatibleBitmap(hdc, kWidth, kHeight);
  HGDIOBJ old = SelectObject(memory, bitmap);
  Draw(memory);
  BitBlt(hdc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(hwnd, &paint);
}

void OnClick(HWND hwnd, POINT point) {
  if (PtInRect(&kClose, point)) {
    DestroyWindow(hwnd);
  } else if (PtInRect(&kClickButton, point)) {
    ++state.clicks;
    Say("click %d", state.clicks);
  } else if (PtInRect(&kBoxButton, point)) {
    Say("box shown");
    const int answer = MessageBoxW(hwnd, u"这是一个模态对话框。Answer it to go on.", u"Sample", MB_OKCANCEL);
    state.answer = answer == IDOK ? u"Box: OK" : u"Box: Cancel";
    Say("box answered %d", answer);
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST: {
      POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd, &point);
      // The top strip drags the window, except for its close button.
      if (point.y >= 0 && point.y < kStrip && !PtInRect(&kClose, point)) return HTCAPTION;
      return HTCLIENT;
    }
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONUP:
      OnClick(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONDBLCLK:
      ++state.doubleClicks;
      Say("double click %d", state.doubleClicks);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_MOUSEWHEEL:
      state.wheel += GET_WHEEL_DELTA_WPARAM(wParam);
      Say("wheel %d", GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_CHAR:
      if (wParam == 0x1B) {
        DestroyWindow(hwnd);
      } else if (wParam >= 0x20) {
        state.typed.push_back(static_cast<char16_t>(wParam));
        Say("typed %d", static_cast<int>(wParam));
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_MOVE:
      Say("moved %d %d", GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int main() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Procedure;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = u"ZvSampleWindow";
  if (!RegisterClassExW(&wc)) return 1;
  state.font = Font(14, FW_NORMAL);
  state.titleFont = Font(15, FW_BOLD);
  MakeImage();

  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = (work.left + work.right - kWidth) / 2;
  const int y = (work.top + work.bottom - kHeight) / 2;
  HWND hwnd = CreateWindowExW(0, u"ZvSampleWindow", u"Zorvik sample window", WS_POPUP, x, y, kWidth, kHeight,
                              nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) return 1;
  SetWindowRgn(hwnd, CreateRoundRectRgn(0, 0, kWidth + 1, kHeight + 1, 8, 8), TRUE);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  Say("shown %d %d", x, y);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeleteDC(state.image);
  DeleteObject(state.imageBitmap);
  DeleteObject(state.font);
  DeleteObject(state.titleFont);
  Say("closed");
  return static_cast<int>(msg.wParam);
}
