// GetTempPathW and GetCurrentDirectoryW.
#include <cerrno>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "paths.h"
#include "zv/errors.h"
#include "zv/text.h"

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
  // TMPDIR names the temporary folder on POSIX systems as TMP does on Windows.
  const char* configured = std::getenv("TMPDIR");
  std::string folder = configured != nullptr && configured[0] == '/' ? configured : "/tmp";
  if (folder.back() != '/') folder += '/';
  return zv::kernel::CopyToBufferOrSizeNeeded(zv::FromUtf8(folder), bufferLength, buffer);
}

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer) {
  char* folder = getcwd(nullptr, 0);
  if (folder == nullptr) {
    zv::SetLastErrorFromErrno(errno);
    return 0;
  }
  const std::u16string wide = zv::FromUtf8(folder);
  std::free(folder);
  return zv::kernel::CopyToBufferOrSizeNeeded(wide, bufferLength, buffer);
}
