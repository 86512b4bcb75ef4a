#include "launcher/utf8.h"

#include <windows.h>

#include <limits>

std::optional<std::u16string> DecodeUtf8(const std::string& bytes) {
  if (bytes.empty()) return std::u16string();
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  // MB_ERR_INVALID_CHARS makes every malformed sequence a failure, overlong
  // forms and encoded surrogates included: they are the classic ways of
  // smuggling a different character past a byte-level check.
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length == 0) return std::nullopt;
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
  return wide;
}

std::string EncodeUtf8(const std::u16string& text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}
