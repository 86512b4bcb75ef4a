#include "launcher/version_value.h"

#include <windows.h>

#include <vector>

namespace {

// "\StringFileInfo\%08lx\%s": eight lower-case hexadecimal digits, language
// first. Built as a string of any length, so a long name cannot overflow.
std::u16string StringSubBlock(DWORD key, const std::u16string& name) {
  static const char16_t digits[] = u"0123456789abcdef";
  std::u16string hex(8, u'0');
  for (int i = 7; i >= 0; --i, key >>= 4) hex[i] = digits[key & 0xF];
  return u"\\StringFileInfo\\" + hex + u"\\" + name;
}

}  // namespace

bool ReadVersionValue(const std::u16string& name, const std::u16string& path,
                      std::u16string& value) {
  if (name.empty() || path.empty()) return false;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(path.c_str(), handle, size, block.data())) return false;

  LPVOID translation = nullptr;
  UINT translationLength = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation,
                      &translationLength) ||
      translationLength < 2 * sizeof(WORD)) {
    return false;
  }
  // Only the first translation counts; a short table cannot be read at all.
  const auto* words = static_cast<const WORD*>(translation);
  const DWORD key = (static_cast<DWORD>(words[0]) << 16) | words[1];

  LPVOID found = nullptr;
  UINT foundLength = 0;
  const std::u16string subBlock = StringSubBlock(key, name);
  if (VerQueryValueW(block.data(), subBlock.c_str(), &found, &foundLength) && found) {
    const auto* text = static_cast<const WCHAR*>(found);
    // The value ends at its terminator, and never beyond the length reported.
    std::size_t length = 0;
    while (length < foundLength && text[length] != u'\0') ++length;
    value.assign(text, length);
  }
  return true;
}
