// Reading and writing the pending-deletion list file.
#pragma once

#include <optional>
#include <string>

// The list's text (see pending_list_format.h). Nothing when the file cannot be opened for reading.
std::optional<std::u16string> ReadPendingList(const std::u16string& path);

// Replaces the file's content with `text`. When the file cannot be opened for
// writing, its old content stays.
void WritePendingList(const std::u16string& path, const std::u16string& text);
