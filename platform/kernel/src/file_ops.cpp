// DeleteFileW, RemoveDirectoryW, CreateDirectoryW, MoveFileExW and MoveFileW.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "paths.h"
#include "tree_copy.h"
#include "zv/errors.h"

namespace {

using zv::kernel::NativePathArgument;

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

BOOL FailWithErrno(int err, const std::string& path, DWORD existsError = ERROR_FILE_EXISTS) {
  zv::SetLastErrorFromErrno(err, path, existsError);
  return FALSE;
}

// A rename that never replaces: the kernel checks and renames in one step.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL) return false;
  if (Exists(to)) {
    errno = EEXIST;
    return false;
  }
  // File systems that cannot refuse to replace: the check above and this
  // rename are two steps, the best they allow.
  return rename(from.c_str(), to.c_str()) == 0;
}

// The folder that holds `path`, with its trailing slash ("./" for a bare name).
std::string ParentOf(const std::string& path) {
  const auto end = path.find_last_not_of('/');
  const auto slash = end == std::string::npos ? std::string::npos : path.rfind('/', end);
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

// A name beside `path` that no one else uses, for a copy that is not ready yet.
std::string StagingName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return ParentOf(path) + ".zv-move-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

// The move between file systems: copy, then remove the original. Nothing is
// left half-done that a later run cannot see: a failed copy is removed again,
// and a failed removal of an original file removes the copy, so the file
// stays where it was. Only when a folder's original cannot be removed
// completely does the complete copy stay at the new name, so nothing is lost;
// the move is then reported as failed.
BOOL MoveBetweenFileSystems(const std::string& from, const std::string& to, bool replace) {
  // An original that cannot be taken away is not copied at all.
  if (access(ParentOf(from).c_str(), W_OK | X_OK) != 0) return FailWithErrno(errno, from);
  zv::kernel::TreeError error;
  const std::string copy = replace ? StagingName(to) : to;
  if (!zv::kernel::CopyTree(from, copy, error)) {
    return FailWithErrno(error.err, error.path, ERROR_ALREADY_EXISTS);
  }
  if (replace && rename(copy.c_str(), to.c_str()) != 0) {
    const int err = errno;
    zv::kernel::RemoveTree(copy, error);
    return FailWithErrno(err, to);
  }
  const bool folder = IsFolder(from);
  if (!zv::kernel::RemoveTree(from, error)) {
    if (!folder && !replace) {
      zv::kernel::TreeError ignored;
      zv::kernel::RemoveTree(to, ignored);
    }
    return FailWithErrno(error.err, error.path);
  }
  return TRUE;
}

}  // namespace

BOOL DeleteFileW(LPCWSTR fileName) {
  std::string path;
  if (!NativePathArgument(fileName, path)) return FALSE;
  // Unlike Windows, a file in use or marked read-only can be deleted here;
  // a folder cannot (unlink refuses it, and Windows reports access denied).
  if (unlink(path.c_str()) != 0) return FailWithErrno(errno, path);
  return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
  std::string path;
  if (!NativePathArgument(pathName, path)) return FALSE;
  if (rmdir(path.c_str()) != 0) {
    const int err = errno;
    if (err == ENOTDIR && Exists(path) && !IsFolder(path)) {
      SetLastError(ERROR_DIRECTORY);
      return FALSE;
    }
    return FailWithErrno(err, path);
  }
  return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES) {
  std::string path;
  if (!NativePathArgument(pathName, path)) return FALSE;
  if (mkdir(path.c_str(), 0777) != 0) {
    const int err = errno;
    // A missing parent folder is a missing path, never a missing file.
    if (err == ENOENT) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return FALSE;
    }
    return FailWithErrno(err, path, ERROR_ALREADY_EXISTS);
  }
  return TRUE;
}

BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags) {
  std::string from;
  std::string to;
  if (!NativePathArgument(existingFileName, from) || !NativePathArgument(newFileName, to)) return FALSE;
  if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  if (!Exists(from)) return FailWithErrno(errno, from);
  const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
  if (replace && IsFolder(to)) {
    // Windows never replaces a folder, not even an empty one.
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const bool moved = replace ? rename(from.c_str(), to.c_str()) == 0 : RenameWithoutReplacing(from, to);
  if (moved) return TRUE;
  const int err = errno;
  if (err == EXDEV && (flags & MOVEFILE_COPY_ALLOWED)) {
    if (!replace && Exists(to)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
    return MoveBetweenFileSystems(from, to, replace);
  }
  // The source exists (checked above), so a missing piece is on the new side.
  return FailWithErrno(err == ENOENT ? ENOTDIR : err, to, ERROR_ALREADY_EXISTS);
}

BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName) {
  return MoveFileExW(existingFileName, newFileName, MOVEFILE_COPY_ALLOWED);
}
