// A stand-in for the client program Zorvik.exe, for the tests and the demo.
// It records, in "Zorvik.record" beside itself, the command line it was
// started with and every hand-off message its windows receive. With the environment
// variable ZV_STANDIN_WINDOWS set to "main", "upgrade" or "main,upgrade" it
// owns windows titled "Zorvik" of class "MainWindow" and/or "UpgradeWindow"
// and runs until it is ended; otherwise it ends at once.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr UINT UM_CLIENT_HANDOFF = 0xFF30;

HWND g_upgradeWindow = nullptr;

std::string RecordPath() {
  std::vector<char> path(MAX_PATH);
  DWORD length = 0;
  while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size()) {
    path.resize(path.size() * 2);
  }
  std::string own(path.data(), length);
  return own.substr(0, own.find_last_of('/') + 1) + "Zorvik.record";
}

void Record(const std::string& line) {
  std::ofstream(RecordPath(), std::ios::app) << line << '\n' << std::flush;
}

LRESULT ClientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == UM_CLIENT_HANDOFF) {
    const char* kind = window == g_upgradeWindow ? "UpgradeWindow" : "MainWindow";
    Record(std::string("handoff\t") + kind + "\t" + std::to_string(static_cast<int>(wParam)) + "\t" +
           std::to_string(lParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND OpenWindow(const char16_t* className) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ClientWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  if (!RegisterClassExW(&windowClass)) return nullptr;
  return CreateWindowExW(0, className, u"Zorvik", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  // The whole command line as this program sees it: a program started by
  // CreateProcessW gets the command line's first token as argv[0], as a
  // Windows program would, so argv[0] is recorded as well.
  std::string args = "args";
  for (int i = 0; i < argc; ++i) args += std::string("\t") + argv[i];
  Record(args);

  const char* windows = std::getenv("ZV_STANDIN_WINDOWS");
  if (!windows || !*windows) return 0;
  const std::string wanted = windows;
  if (wanted.find("main") != std::string::npos && !OpenWindow(u"MainWindow")) return 1;
  if (wanted.find("upgrade") != std::string::npos && !(g_upgradeWindow = OpenWindow(u"UpgradeWindow"))) {
    return 1;
  }
  Record("ready");

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
