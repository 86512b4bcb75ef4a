#include "launcher/pending_list_file.h"

#include "launcher/pending_list_format.h"

#include <windows.h>

namespace {

struct FileHandle {
  HANDLE handle;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

}  // namespace

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
