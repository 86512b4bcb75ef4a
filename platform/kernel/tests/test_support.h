// Shared pieces of the kernel part's tests: a scratch folder and the child
// program started through CreateProcessW with its output on a pipe.
#pragma once

#include <filesystem>
#include <string>

#include "windows.h"

namespace kernel_test {

// A fresh folder under `parent`, named after this process, removed with
// everything in it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::filesystem::path& parent = std::filesystem::temp_directory_path());
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::u16string Wide(const std::string& text);
std::u16string Wide(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& text);
std::string ReadText(const std::filesystem::path& path);

// A name no other test process uses at the same time.
std::u16string UniqueName(const std::string& purpose);

// The test child (see kernel_child.cpp), started with `commandLine`; its
// standard output comes back through a pipe, its other standard handles are
// none.
class Child {
 public:
  explicit Child(const std::u16string& commandLine);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return started_; }
  DWORD startError() const { return startError_; }
  HANDLE process() const { return info_.hProcess; }
  DWORD pid() const { return info_.dwProcessId; }

  // The next line of output (without its line end); empty at the end.
  std::string ReadLine();
  // Waits for the end and returns the exit code.
  DWORD Finish();

 private:
  PROCESS_INFORMATION info_{};
  int output_ = -1;
  bool started_ = false;
  DWORD startError_ = 0;
};

}  // namespace kernel_test
