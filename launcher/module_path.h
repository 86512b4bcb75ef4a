// The running executable's path, whatever its length.
#pragma once

#include <string>

// The module path starts in a buffer of MAX_PATH characters, as the launcher
// has always read it, and the buffer grows while the path fills it, so a
// deep installation folder never yields a silently cut path.
std::u16string ModulePathW();
std::string ModulePathA();

// Position of the last "\" or "/" in `path`, or npos.
std::size_t LastSeparator(const std::u16string& path);
std::size_t LastSeparator(const std::string& path);
