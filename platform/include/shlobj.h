// Shell folder calls: creating a whole directory tree.
#pragma once

#include "win/base.h"
#include "win/errors.h"

// Creates `path` and every missing folder above it. Returns ERROR_SUCCESS,
// ERROR_ALREADY_EXISTS when the folder is already there, ERROR_FILE_EXISTS when
// a file stands at `path`, ERROR_BAD_PATHNAME for a relative path, or the
// Windows code of the failure. `window` and `security` are not used.
int SHCreateDirectoryExW(HWND window, LPCWSTR path, const SECURITY_ATTRIBUTES* security);
