// Scratch folders, archives made with the real 7z command, and the captured
// extraction log, for the archive wrapper's tests.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "windows.h"

namespace archive_test {

inline std::u16string Wide(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

class TempFolder {
 public:
  TempFolder() {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("zv_archive_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path Native(const std::string& name = {}) const { return name.empty() ? path_ : path_ / name; }
  std::string Str(const std::string& name = {}) const { return Native(name).string(); }
  std::u16string W(const std::string& name = {}) const { return Wide(Str(name)); }
  void Write(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories(Native(name).parent_path());
    std::ofstream(Native(name), std::ios::binary) << content;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Native(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path path_;
};

// Runs a shell command; the test fails when it does not succeed.
inline void Shell(const std::string& command) {
  ASSERT_EQ(std::system(("(" + command + ") >/dev/null 2>&1").c_str()), 0) << command;
}

// The extraction log written to standard output while `action` runs.
template <typename Action>
std::string CaptureLog(Action action) {
  std::fflush(stdout);
  ::testing::internal::CaptureStdout();
  action();
  std::fflush(stdout);
  return ::testing::internal::GetCapturedStdout();
}

}  // namespace archive_test
