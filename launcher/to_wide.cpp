#include "launcher/to_wide.h"

#include "launcher/utf8.h"

#include <iostream>

std::u16string ToWide(const std::string& bytes) {
  auto wide = DecodeUtf8(bytes);
  if (!wide) {
    std::cerr << "bad conversion" << std::endl;
    return {};
  }
  return std::move(*wide);
}
