// SHCreateDirectoryExW: a folder and every missing folder above it.

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "shlobj.h"
#include "win/kernel.h"
#include "zv/errors.h"
#include "zv/text.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates each level of an absolute native path from the top down; a level
// that is already a folder is fine.
DWORD CreateLevels(const std::string& path) {
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string level = path.substr(0, end);
    if (::mkdir(level.c_str(), 0777) != 0) {
      const int err = errno;
      if (err != EEXIST || !IsFolder(level)) {
        // A file standing in for a level on the way is a broken path, as on
        // Windows; at the end of the path it is reported as a file in the way.
        if (err == EEXIST) return end == std::string::npos ? ERROR_FILE_EXISTS : ERROR_PATH_NOT_FOUND;
        return zv::Win32ErrorFromErrno(err, level, ERROR_ALREADY_EXISTS);
      }
    }
    if (end == std::string::npos) return ERROR_SUCCESS;
  }
}

}  // namespace

int SHCreateDirectoryExW(HWND, LPCWSTR path, const SECURITY_ATTRIBUTES*) {
  if (path == nullptr || *path == 0) return ERROR_BAD_PATHNAME;
  std::string native = zv::NativePath(path);
  if (native.front() != '/') return ERROR_BAD_PATHNAME;
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  struct stat info {};
  DWORD result = ERROR_SUCCESS;
  if (::stat(native.c_str(), &info) == 0) {
    result = S_ISDIR(info.st_mode) ? ERROR_ALREADY_EXISTS : ERROR_FILE_EXISTS;
  } else {
    result = CreateLevels(native);
  }
  SetLastError(result);
  return static_cast<int>(result);
}
