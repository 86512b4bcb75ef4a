// A scratch folder for one test, removed with everything in it afterwards.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "zv/text.h"

class TempFolder {
 public:
  TempFolder() {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("zv_shell_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path Native(const std::string& name = {}) const { return name.empty() ? path_ : path_ / name; }
  // The same place as a Windows-style wide path with backslashes.
  std::u16string Wide(const std::string& name = {}) const {
    std::u16string wide = zv::FromUtf8(Native(name).string());
    for (auto& c : wide) {
      if (c == u'/') c = u'\\';
    }
    return wide;
  }
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
