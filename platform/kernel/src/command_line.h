// Splitting a Windows command line into arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv::kernel {

// The arguments a Windows program's start-up code finds in `commandLine`.
// The first one, the program name, ends at the first blank, or is everything
// inside the quotes it starts with; backslashes are plain there. The others
// are separated by blanks (spaces and tabs); quotes group blanks into an
// argument and are removed; 2n backslashes before a quote become n and the
// quote groups, 2n+1 become n and a literal quote; other backslashes are
// plain; two quotes in a row inside a quoted part give one literal quote and
// end the quoted part.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

}  // namespace zv::kernel
