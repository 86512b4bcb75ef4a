// Text and path conversions shared by the parts of the platform layer.
// Only the platform layer includes this header.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv {

// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; nullopt when the bytes are not valid UTF-8 (overlong forms,
// encoded surrogates, values above U+10FFFF and cut-off sequences included).
std::optional<std::u16string> FromUtf8Strict(std::string_view bytes);
// UTF-8 to UTF-16, replacing every malformed sequence with U+FFFD.
std::u16string FromUtf8(std::string_view bytes);

// Length of a zero-terminated wide string.
std::size_t WideLength(const char16_t* text);

// A Windows-style path as the native file system sees it: UTF-8, with every
// backslash turned into a slash.
std::string NativePath(std::u16string_view path);
std::string NativePath(const char16_t* path);
std::string NativePath(std::string_view utf8Path);

}  // namespace zv
