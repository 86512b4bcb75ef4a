// The pending-deletion list's bytes: one byte per character, or UTF-8 behind
// a UTF-8 byte-order mark for names that one byte cannot hold.
#pragma once

#include <string>

// The file's bytes for `text`.
std::string EncodePendingList(const std::u16string& text);
// The text of a file's bytes; zero characters are dropped.
std::u16string DecodePendingList(const std::string& bytes);
