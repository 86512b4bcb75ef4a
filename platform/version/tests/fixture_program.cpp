// One of our own programs with a version resource (see CMakeLists.txt). Run,
// it prints its FileVersion as it finds it in its own resources.
#include <cstdio>
#include <string>

#include "win/kernel.h"
#include "win/version.h"
#include "zv/text.h"

int main() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  LPVOID value = nullptr;
  UINT length = 0;
  if (found == nullptr ||
      !VerQueryValueW(LockResource(LoadResource(nullptr, found)), u"\\StringFileInfo\\080404b0\\FileVersion", &value,
                      &length)) {
    std::printf("no version: %u\n", GetLastError());
    return 1;
  }
  std::printf("%s\n", zv::ToUtf8(static_cast<const char16_t*>(value)).c_str());
  return 0;
}
