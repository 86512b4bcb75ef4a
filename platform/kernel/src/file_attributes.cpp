// GetFileAttributesW, GetFileAttributesExW and SetFileAttributesW.
#include <cerrno>
#include <sys/stat.h>

#include "file_info.h"
#include "paths.h"
#include "zv/errors.h"

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// The permission bits a file gets from Windows-style attributes.
mode_t ModeFromAttributes(DWORD attributes, mode_t current) {
  mode_t mode = current & 07777;
  if (attributes & FILE_ATTRIBUTE_HAS_POSIX_MODE) {
    // Archives made on POSIX systems carry the item's own permission bits, so
    // executables stay executable. Set-user-id, set-group-id and sticky bits
    // from a downloaded archive are never honoured: the updater may run with
    // raised rights.
    mode = (attributes >> 16) & 0777;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    mode &= ~kWriteBits;
  } else if ((mode & kWriteBits) == 0) {
    // Clearing read-only makes the file writable again, for its owner.
    mode |= S_IWUSR;
  }
  if (S_ISDIR(current)) {
    // A folder that its owner cannot enter or change would make every later
    // update and clean-up of the installation fail; Windows' read-only flag
    // never stops changes inside a folder either.
    mode |= S_IRWXU;
  }
  return mode;
}

}  // namespace

DWORD GetFileAttributesW(LPCWSTR fileName) {
  std::string path;
  zv::kernel::FileFacts facts{};
  if (!zv::kernel::NativePathArgument(fileName, path) || !zv::kernel::ReadPathFacts(path, facts)) {
    return INVALID_FILE_ATTRIBUTES;
  }
  return facts.attributes;
}

BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation) {
  if (infoLevel != GetFileExInfoStandard || fileInformation == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string path;
  zv::kernel::FileFacts facts{};
  if (!zv::kernel::NativePathArgument(fileName, path) || !zv::kernel::ReadPathFacts(path, facts)) {
    return FALSE;
  }
  auto& data = *static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(fileInformation);
  data.dwFileAttributes = facts.attributes;
  data.ftCreationTime = facts.creation;
  data.ftLastAccessTime = facts.lastAccess;
  data.ftLastWriteTime = facts.lastWrite;
  data.nFileSizeHigh = static_cast<DWORD>(facts.size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(facts.size & 0xFFFFFFFFu);
  return TRUE;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes) {
  std::string path;
  if (!zv::kernel::NativePathArgument(fileName, path)) return FALSE;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    zv::SetLastErrorFromErrno(errno, path);
    return FALSE;
  }
  const mode_t mode = ModeFromAttributes(fileAttributes, info.st_mode);
  if (mode != (info.st_mode & 07777) && chmod(path.c_str(), mode) != 0) {
    zv::SetLastErrorFromErrno(errno, path);
    return FALSE;
  }
  return TRUE;
}
