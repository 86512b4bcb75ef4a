// Codes that select one of the format library's archive handlers.
#pragma once

#include <cstdint>

namespace SevenZip {

// Any other value (0 after a failed probe included) opens with the 7z handler.
enum ArchiveFormat : std::int32_t {
  FormatNone = 0,
  FormatSevenZip = 1,
  FormatZip = 2,
  FormatCab = 8,
  FormatLzma = 9,
  FormatLzma86 = 10,
};

}  // namespace SevenZip
