// Tick counts, sleeping, process and thread ids, and the debugger output.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sched.h>
#include <unistd.h>

#include "win/kernel.h"
#include "zv/text.h"

namespace {

// Counts time since the system started, including time spent suspended, as
// Windows' tick count does.
ULONGLONG MillisecondsSinceBoot() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec) / 1'000'000u;
}

// Debugger output goes nowhere unless the layer's debug switch is on; users
// never see it.
bool DebugOutputOn() {
  const char* value = std::getenv("ZV_DEBUG_OUTPUT");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

DWORD GetTickCount() { return static_cast<DWORD>(MillisecondsSinceBoot()); }

ULONGLONG GetTickCount64() { return MillisecondsSinceBoot(); }

DWORD GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  if (milliseconds == INFINITE) {
    for (;;) pause();
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1'000'000};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void OutputDebugStringA(LPCSTR outputString) {
  if (outputString == nullptr || !DebugOutputOn()) return;
  std::fputs(outputString, stderr);
  std::fflush(stderr);
}

void OutputDebugStringW(LPCWSTR outputString) {
  if (outputString == nullptr || !DebugOutputOn()) return;
  OutputDebugStringA(zv::ToUtf8(outputString).c_str());
}
