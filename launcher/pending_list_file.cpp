#include "launcher/pending_list_file.h"

#include "launcher/utf8.h"

#include <windows.h>

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

struct FileHandle {
  HANDLE handle;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

}  // namespace

std::string EncodePendingList(const std::u16string& text) {
  if (!FitsOneByte(text)) return kUtf8Mark + EncodeUtf8(text);
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

std::optional<std::u16string> ReadPendingList(const std::u16string& path) {
  FileHandle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
  // The bytes are taken as they are: this platform has no text mode, and a
  // line end read as two characters is written back as the same two bytes.
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file.handle, chunk, sizeof chunk, &read, nullptr) && read > 0) {
    bytes.append(chunk, read);
  }
  return DecodePendingList(bytes);
}

void WritePendingList(const std::u16string& path, const std::u16string& text) {
  FileHandle file{CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) return;
  const std::string bytes = EncodePendingList(text);
  DWORD written = 0;
  WriteFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
