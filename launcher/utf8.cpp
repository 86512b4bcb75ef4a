#include "launcher/utf8.h"

#include <cstdint>

namespace {

struct Decoded {
  char32_t value;
  std::size_t length;
};

// Decodes the character starting at `pos`, or nothing when it is malformed.
// Overlong forms and encoded surrogates are refused as well: they are the
// classic ways of smuggling a different character past a byte-level check.
std::optional<Decoded> DecodeOne(const std::string& bytes, std::size_t pos) {
  const auto lead = static_cast<std::uint8_t>(bytes[pos]);
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    return Decoded{lead, 1};
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (bytes.size() - pos < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<std::uint8_t>(bytes[pos + i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF) return std::nullopt;
  if (value >= 0xD800 && value <= 0xDFFF) return std::nullopt;
  return Decoded{value, length};
}

void Append(std::u16string& out, char32_t value) {
  if (value < 0x10000) {
    out.push_back(static_cast<char16_t>(value));
    return;
  }
  value -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
}

}  // namespace

std::optional<std::u16string> DecodeUtf8(const std::string& bytes) {
  std::u16string wide;
  wide.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    const auto decoded = DecodeOne(bytes, pos);
    if (!decoded) return std::nullopt;
    Append(wide, decoded->value);
    pos += decoded->length;
  }
  return wide;
}

std::string EncodeUtf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}
