#include "test_support.h"

#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "zv/text.h"

namespace kernel_test {

ScratchFolder::ScratchFolder(const std::filesystem::path& parent) {
  static std::atomic<int> counter{0};
  path_ = parent / ("zv-kernel-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Read-only folders left by a test must not keep their content.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::u16string Wide(const std::string& text) { return zv::FromUtf8(text); }
std::u16string Wide(const std::filesystem::path& path) { return zv::FromUtf8(path.string()); }

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

std::u16string UniqueName(const std::string& purpose) {
  static std::atomic<int> counter{0};
  return Wide("zv-test-" + purpose + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
}

Child::Child(const std::u16string& commandLine) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
  output_ = pipeEnds[0];
  // The pipe's write end becomes a file handle, as a caller of the layer
  // would hand one over.
  const std::u16string writeEnd = Wide("/proc/self/fd/" + std::to_string(pipeEnds[1]));
  const HANDLE out = CreateFileW(writeEnd.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  close(pipeEnds[1]);
  if (out == INVALID_HANDLE_VALUE) return;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  std::u16string line = commandLine;
  started_ = CreateProcessW(Wide(std::string(ZV_KERNEL_CHILD)).c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                            nullptr, nullptr, &startup, &info_) != FALSE;
  startError_ = started_ ? 0 : GetLastError();
  CloseHandle(out);
}

Child::~Child() {
  if (info_.hProcess != nullptr) CloseHandle(info_.hProcess);
  if (info_.hThread != nullptr) CloseHandle(info_.hThread);
  if (output_ >= 0) close(output_);
}

std::string Child::ReadLine() {
  std::string line;
  char c;
  while (read(output_, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

DWORD Child::Finish() {
  if (WaitForSingleObject(info_.hProcess, INFINITE) != WAIT_OBJECT_0) return 0xDEADu;
  DWORD code = 0;
  return GetExitCodeProcess(info_.hProcess, &code) ? code : 0xDEADu;
}

}  // namespace kernel_test
