// Turning the wide path arguments of the kernel calls into native paths.
#pragma once

#include <string>

#include "win/kernel.h"

namespace zv::kernel {

// The native form of a path argument ("\" becomes "/"). A null path fails
// with ERROR_INVALID_PARAMETER and an empty one with ERROR_PATH_NOT_FOUND, as
// Windows reports them; both return false.
bool NativePathArgument(LPCWSTR path, std::string& nativePath);

// Copies `text` and its terminator into a caller's buffer of `size` units the
// way GetCurrentDirectoryW and GetTempPathW do: the length without the
// terminator when it fits, otherwise the size needed (terminator included)
// and nothing written.
DWORD CopyToBufferOrSizeNeeded(const std::u16string& text, DWORD size, LPWSTR buffer);

}  // namespace zv::kernel
