#include "launcher/pending_list_format.h"

#include "launcher/utf8.h"

namespace {

// The list is written one byte per character, which holds only U+0001 to
// U+00FF. A name with a character beyond that would otherwise be stored
// wrongly and never deleted, so such a list is written as UTF-8 behind a
// UTF-8 byte-order mark instead. A list of one-byte names keeps the plain
// format, and a file without the mark is read one byte per character, so
// lists written in the plain format stay readable.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool FitsOneByte(const std::u16string& text) {
  for (char16_t c : text) {
    if (c > 0xFF) return false;
  }
  return true;
}

std::u16string OneBytePerCharacter(const std::string& bytes) {
  std::u16string text;
  for (char byte : bytes) text.push_back(static_cast<unsigned char>(byte));
  return text;
}

}  // namespace

std::string EncodePendingList(const std::u16string& text) {
  // A list whose one-byte form would begin with the mark's three bytes is
  // marked as well, so that it cannot be read back as something else.
  const bool looksMarked = text.starts_with(u"\u00EF\u00BB\u00BF");
  if (!FitsOneByte(text) || looksMarked) return kUtf8Mark + EncodeUtf8(text);
  std::string bytes;
  for (char16_t c : text) bytes += static_cast<char>(c);
  return bytes;
}

std::u16string DecodePendingList(const std::string& bytes) {
  std::u16string text = OneBytePerCharacter(bytes);
  if (bytes.rfind(kUtf8Mark, 0) == 0) {
    // A file that only looks marked (its bytes are no UTF-8) is read one byte
    // per character, like any file without the mark.
    if (auto decoded = DecodeUtf8(bytes.substr(3))) text = std::move(*decoded);
  }
  // A zero character ends no entry; it is dropped.
  std::erase(text, u'\0');
  return text;
}
