// UTF-8 text from the version service and the settings file, made wide.
#pragma once

#include <string>

// Decodes UTF-8 into UTF-16. Characters above U+FFFF become surrogate pairs.
// Malformed input (stray continuation bytes, missing continuation bytes,
// overlong forms, encoded surrogates, values above U+10FFFF, a sequence cut
// off at the end) gives the empty string and "bad conversion" on standard error.
std::u16string ToWide(const std::string& bytes);
