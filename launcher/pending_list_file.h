// Reading and writing the pending-deletion list file.
#pragma once

#include <optional>
#include <string>

// The list's text: one character per byte, or UTF-8 after a byte-order mark
// (see the .cpp). Nothing when the file cannot be opened for reading.
std::optional<std::u16string> ReadPendingList(const std::u16string& path);

// Replaces the file's content with `text`. When the file cannot be opened for
// writing, its old content stays.
void WritePendingList(const std::u16string& path, const std::u16string& text);

// The file's bytes for `text`, and the text of a file's bytes.
std::string EncodePendingList(const std::u16string& text);
std::u16string DecodePendingList(const std::string& bytes);
