// The extraction log: short lines on standard output, in UTF-8. Nobody sees
// them unless whoever started the program keeps its standard output.
#pragma once

#include <string>

namespace SevenZip::intl {

// Writes `format` with its one "%s" (if any) replaced by `argument`.
void WriteLogLine(const std::u16string& format, const std::u16string& argument = {});

}  // namespace SevenZip::intl
