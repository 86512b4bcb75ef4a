// The child program of the kernel part's multi-process tests. Its first
// argument (argv[0], the first token of the command line it was started
// with) names what it does; it reports on standard output, one line each.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <string>
#include <unistd.h>

#include "windows.h"
#include "zv/text.h"

namespace {

std::u16string Wide(const char* text) { return zv::FromUtf8(text); }

void Line(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

// Where a standard handle leads; -1 asks for the program file itself.
std::string FdTarget(int fd) {
  char target[4096] = {};
  const std::string link = fd < 0 ? "/proc/self/exe" : "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
  return length < 0 ? "closed" : std::string(target, static_cast<size_t>(length));
}

const char* reportPath = nullptr;

void ReportExit() {
  if (FILE* report = std::fopen(reportPath, "w")) {
    std::fputs("exit handlers ran", report);
    std::fclose(report);
  }
}

HANDLE CreateNamed(const char* name) {
  const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, Wide(name).c_str());
  Line(std::to_string(event == nullptr ? 0xFFFFFFFFu : GetLastError()));
  return event;
}

int Run(int argc, char** argv) {
  const std::string mode = argc > 0 ? argv[0] : "";
  if (mode == "args") {
    // Bracketed, so an empty argument still shows as a line.
    for (int i = 0; i < argc; ++i) Line(std::string("[") + argv[i] + "]");
  } else if (mode == "stdio" && argc == 2) {
    FILE* report = std::fopen(argv[1], "w");
    if (report == nullptr) return 3;
    for (int fd = 0; fd < 3; ++fd) std::fprintf(report, "%s\n", FdTarget(fd).c_str());
    std::fclose(report);
  } else if (mode == "env" && argc == 2) {
    const char* value = std::getenv(argv[1]);
    Line(value == nullptr ? "(unset)" : value);
  } else if (mode == "cwd") {
    char folder[4096];
    Line(getcwd(folder, sizeof folder) ? folder : "(unknown)");
  } else if (mode == "exit" && argc == 3) {
    reportPath = argv[2];
    std::atexit(ReportExit);
    ExitProcess(static_cast<UINT>(std::strtoul(argv[1], nullptr, 10)));
  } else if (mode == "hold" && argc == 2) {
    CreateNamed(argv[1]);
    Sleep(INFINITE);
  } else if (mode == "signal" && argc == 2) {
    const HANDLE event = CreateNamed(argv[1]);
    return event != nullptr && SetEvent(event) ? 0 : 4;
  } else if (mode == "holduntil" && argc == 3) {
    // Holds the first name until the second one is signalled, then lets go.
    const HANDLE held = CreateNamed(argv[1]);
    const HANDLE go = CreateNamed(argv[2]);
    if (held == nullptr || go == nullptr || WaitForSingleObject(go, INFINITE) != WAIT_OBJECT_0) return 5;
    CloseHandle(held);
    CloseHandle(go);
  } else if (mode == "renamed" && argc == 2) {
    // An update sets the running program aside under a new name.
    const std::string ownPath = FdTarget(-1);
    if (std::rename(ownPath.c_str(), argv[1]) != 0) return 7;
    WCHAR path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    Line(zv::ToUtf8(std::u16string(path, length)));
  } else if (mode == "debug" && argc == 2) {
    OutputDebugStringW(Wide(argv[1]).c_str());
  } else if (mode == "asuser" && argc > 2) {
    const auto id = static_cast<uid_t>(std::strtoul(argv[1], nullptr, 10));
    if (setgroups(0, nullptr) != 0 || setgid(id) != 0 || setuid(id) != 0) return 6;
    return Run(argc - 2, argv + 2);
  } else {
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
