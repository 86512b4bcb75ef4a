// The system clipboard, for copying selected text.
#pragma once

#include <string>

namespace zv::text {

// Puts UTF-8 text on the clipboard of the display the windows are on. False when
// there is no display connection to hold it.
bool SetClipboardText(const std::string& utf8);

}  // namespace zv::text
