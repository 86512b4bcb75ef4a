// The per-thread last error and the errno to Windows error mapping.
#include <cerrno>
#include <string>
#include <sys/stat.h>

#include "win/kernel.h"
#include "zv/errors.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

// Windows says "file not found" when the folder that should hold the file
// exists, and "path not found" when a folder on the way is missing or is not
// a folder.
DWORD NotFoundError(std::string_view nativePath) {
  if (nativePath.empty()) return ERROR_FILE_NOT_FOUND;
  std::string path(nativePath);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
  const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
  struct stat info {};
  return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                    : ERROR_PATH_NOT_FOUND;
}

}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

namespace zv {

DWORD Win32ErrorFromErrno(int err, std::string_view nativePath, DWORD existsError) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return NotFoundError(nativePath);
    case ENOTDIR:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EEXIST: return existsError;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
    case EAGAIN: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL:
    case E2BIG: return ERROR_INVALID_PARAMETER;
    case EFAULT: return ERROR_NOACCESS;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case ENOSYS:
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ECHILD: return ERROR_WAIT_NO_CHILDREN;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EINTR:
    case ECANCELED: return ERROR_OPERATION_ABORTED;
    case ENXIO:
    case ENODEV: return ERROR_NOT_READY;
    case EIO: return ERROR_WRITE_FAULT;
    default: return ERROR_INVALID_FUNCTION;
  }
}

void SetLastErrorFromErrno(int err, std::string_view nativePath, DWORD existsError) {
  SetLastError(Win32ErrorFromErrno(err, nativePath, existsError));
}

}  // namespace zv
