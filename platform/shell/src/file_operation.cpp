// SHFileOperationW: permanent, silent deletion of files and folder trees.

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "shellapi.h"
#include "win/kernel.h"
#include "zv/errors.h"
#include "zv/text.h"

namespace {

constexpr int kOpenFolderLimit = 32;

int RemoveEntry(const char* path, const struct stat*, int, FTW*) { return ::remove(path) == 0 ? 0 : errno; }

// Deletes one source: a file or symbolic link as it is, a folder depth-first
// with everything in it and without following links out of it.
DWORD DeleteTree(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return zv::Win32ErrorFromErrno(errno, path);
  if (!S_ISDIR(info.st_mode)) return ::unlink(path.c_str()) == 0 ? ERROR_SUCCESS : zv::Win32ErrorFromErrno(errno, path);
  const int failed = ::nftw(path.c_str(), RemoveEntry, kOpenFolderLimit, FTW_DEPTH | FTW_PHYS);
  if (failed == 0) return ERROR_SUCCESS;
  return zv::Win32ErrorFromErrno(failed > 0 ? failed : errno, path);
}

}  // namespace

int SHFileOperationW(LPSHFILEOPSTRUCTW operation) {
  if (operation == nullptr || operation->pFrom == nullptr) return ERROR_INVALID_PARAMETER;
  operation->fAnyOperationsAborted = FALSE;
  if (operation->wFunc != FO_DELETE || (operation->fFlags & FOF_ALLOWUNDO) != 0) return ERROR_CALL_NOT_IMPLEMENTED;
  DWORD first = ERROR_SUCCESS;
  for (const WCHAR* source = operation->pFrom; *source != 0; source += zv::WideLength(source) + 1) {
    const DWORD result = DeleteTree(zv::NativePath(source));
    if (result != ERROR_SUCCESS && first == ERROR_SUCCESS) first = result;
  }
  if (first != ERROR_SUCCESS) {
    operation->fAnyOperationsAborted = TRUE;
    SetLastError(first);
  }
  return static_cast<int>(first);
}
