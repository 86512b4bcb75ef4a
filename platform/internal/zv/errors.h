// Windows error codes for POSIX failures, shared by every part of the layer.
// Only the platform layer includes this header.
#pragma once

#include <string_view>

#include "win/base.h"
#include "win/errors.h"

namespace zv {

// The Windows error code for errno `err`, as the Windows call doing the same
// work would report it.
// `nativePath` (optional) lets ENOENT tell a missing file (ERROR_FILE_NOT_FOUND)
// from a missing or non-folder component on its way (ERROR_PATH_NOT_FOUND).
// `existsError` is what EEXIST becomes: ERROR_FILE_EXISTS for files and moves,
// ERROR_ALREADY_EXISTS where Windows says so (CreateDirectoryW, for instance).
DWORD Win32ErrorFromErrno(int err, std::string_view nativePath = {},
                          DWORD existsError = ERROR_FILE_EXISTS);

// SetLastError(Win32ErrorFromErrno(...)).
void SetLastErrorFromErrno(int err, std::string_view nativePath = {},
                           DWORD existsError = ERROR_FILE_EXISTS);

}  // namespace zv
