// Runs one update the way the upgrade window does, without a window on the
// screen: UpdateWorker on a detached thread, reporting to a message-only
// window whose messages are printed, one "MSG <message> <wParam> <lParam>"
// line each, until the outcome arrives. The program folder is where this
// program lies, so tests copy it into the folder to update.
//
// Usage: worker_run URL [--peak-memory]
// With --peak-memory, "PEAK_KB <n>" gives the peak resident memory at the end.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "windows.h"
#include "worker/update_worker.h"
#include "worker/worker_messages.h"

namespace {

std::u16string FromUtf8(const char* text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  wide.pop_back();
  return wide;
}

long PeakResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: worker_run URL [--peak-memory]\n");
    return 2;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"WorkerRun";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"WorkerRun", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (window == nullptr) return 3;

  std::thread(UpdateWorker, FromUtf8(argv[1]), window).detach();

  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    std::printf("MSG %#x %lu %ld\n", msg.message, static_cast<unsigned long>(msg.wParam), static_cast<long>(msg.lParam));
    if (msg.message == UM_DOWNLOAD_FAILED || msg.message == UM_UNPACK_FAILED || msg.message == UM_UPDATE_DONE) break;
  }
  if (argc > 2 && std::strcmp(argv[2], "--peak-memory") == 0) std::printf("PEAK_KB %ld\n", PeakResidentKilobytes());
  std::fflush(stdout);
  DestroyWindow(window);
  return 0;
}
