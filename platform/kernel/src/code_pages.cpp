// MultiByteToWideChar and WideCharToMultiByte. The ANSI and OEM code pages
// are UTF-8 here, so every supported code page converts as UTF-8.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "win/kernel.h"
#include "zv/text.h"

namespace {

bool IsSupported(UINT codePage) { return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_UTF8; }

bool HasUnpairedSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

// Hands out a converted text as both calls do: its size when no buffer is
// given, otherwise the text if it fits, else ERROR_INSUFFICIENT_BUFFER.
template <typename Char>
int Deliver(const std::basic_string<Char>& text, Char* out, int outSize) {
  const int needed = static_cast<int>(text.size());
  if (outSize == 0) return needed;
  if (out == nullptr || outSize < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (outSize < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(text.begin(), text.end(), out);
  return needed;
}

template <typename Char>
bool ArgumentsValid(UINT codePage, const Char* in, int inSize) {
  if (!IsSupported(codePage) || in == nullptr || inSize == 0 || inSize < -1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int multiByte, LPWSTR wideCharStr,
                        int wideChar) {
  if (!ArgumentsValid(codePage, multiByteStr, multiByte)) return 0;
  // -1: the text ends at its terminator, which is converted too.
  const std::string_view bytes(multiByteStr, multiByte < 0 ? std::char_traits<char>::length(multiByteStr) + 1
                                                           : static_cast<std::size_t>(multiByte));
  std::u16string wide;
  if (flags & MB_ERR_INVALID_CHARS) {
    auto strict = zv::FromUtf8Strict(bytes);
    if (!strict) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    wide = std::move(*strict);
  } else {
    wide = zv::FromUtf8(bytes);
  }
  return Deliver(wide, wideCharStr, wideChar);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr, int wideChar, LPSTR multiByteStr,
                        int multiByte, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  if (!ArgumentsValid(codePage, wideCharStr, wideChar)) return 0;
  // UTF-8 represents every character, so a default character has no use;
  // Windows refuses one for UTF-8.
  if (defaultChar != nullptr || usedDefaultChar != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string_view wide(wideCharStr, wideChar < 0 ? zv::WideLength(wideCharStr) + 1
                                                           : static_cast<std::size_t>(wideChar));
  if ((flags & WC_ERR_INVALID_CHARS) && HasUnpairedSurrogate(wide)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return Deliver(zv::ToUtf8(wide), multiByteStr, multiByte);
}
