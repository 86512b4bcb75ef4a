#include "worker/archive/extraction_log.h"

#include <cstdio>

#include "windows.h"

namespace SevenZip::intl {

void WriteLogLine(const std::u16string& format, const std::u16string& argument) {
  std::u16string text = format;
  const auto slot = text.find(u"%s");
  if (slot != std::u16string::npos) text.replace(slot, 2, argument);
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  std::string encoded(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, encoded.data(), bytes, nullptr, nullptr);
  std::fwrite(encoded.data(), 1, encoded.size(), stdout);
}

}  // namespace SevenZip::intl
