// A process that owns one top-level window, for the tests that reach windows
// of other processes. Arguments: class name, window title. It prints "ready"
// once the window exists and runs its message loop until the window is gone.
//   WM_APP + 1: answers 2 * wParam + 1
//   WM_APP + 2: dies at once, in the middle of the send
//   WM_APP + 3: sends WM_APP + 4 with wParam to the window in lParam (of the
//               sending process) and answers with that answer + 1
//   WM_APP + 5: answers 1 when it runs on the thread that owns the window
//   0xFF30:     answers wParam + 1000
//   WM_CLOSE:   the default procedure destroys the window; the loop ends
#include <signal.h>

#include <cstdio>
#include <string>

#include <windows.h>

namespace {

LRESULT Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_APP + 1:
      return static_cast<LRESULT>(2 * wParam + 1);
    case WM_APP + 2:
      raise(SIGKILL);
      return 0;
    case WM_APP + 3:
      return SendMessageW(reinterpret_cast<HWND>(lParam), WM_APP + 4, wParam, 0) + 1;
    case WM_APP + 5:
      return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
    case 0xFF30:
      return static_cast<LRESULT>(wParam) + 1000;
    case WM_DESTROY:
      PostQuitMessage(5);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

std::u16string Wide(const char* text) {
  const std::string narrow(text);
  return std::u16string(narrow.begin(), narrow.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::u16string className = Wide(argv[1]);
  const std::u16string title = Wide(argv[2]);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Procedure;
  wc.lpszClassName = className.c_str();
  if (!RegisterClassExW(&wc)) return 3;
  if (!CreateWindowExW(0, className.c_str(), title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                       nullptr, nullptr, nullptr)) {
    return 4;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return static_cast<int>(msg.wParam);
}
