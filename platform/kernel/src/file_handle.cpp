// CreateFileW and the calls on its handles.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_info.h"
#include "file_object.h"
#include "paths.h"
#include "zv/errors.h"

namespace zv::kernel {

FileObject::~FileObject() { close(fd_); }

}  // namespace zv::kernel

namespace {

using zv::kernel::FileObject;

struct Access {
  bool read;
  bool write;
};

Access AccessFrom(DWORD desiredAccess) {
  return Access{(desiredAccess & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0,
                (desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0};
}

// Opens or creates; `existed` tells which, as CREATE_ALWAYS and OPEN_ALWAYS
// report it.
int OpenOrCreate(const std::string& path, int flags, mode_t mode, bool& existed) {
  for (;;) {
    const int fd = open(path.c_str(), flags | O_CREAT | O_EXCL, mode);
    if (fd >= 0 || errno != EEXIST) {
      existed = false;
      return fd;
    }
    const int opened = open(path.c_str(), flags, mode);
    if (opened >= 0 || errno != ENOENT) {
      existed = true;
      return opened;
    }
  }
}

int OpenForDisposition(const std::string& path, DWORD disposition, int flags, mode_t mode, bool& existed) {
  existed = false;
  switch (disposition) {
    case CREATE_NEW: return open(path.c_str(), flags | O_CREAT | O_EXCL, mode);
    case CREATE_ALWAYS: return OpenOrCreate(path, flags | O_TRUNC, mode, existed);
    case OPEN_ALWAYS: return OpenOrCreate(path, flags, mode, existed);
    case OPEN_EXISTING: return open(path.c_str(), flags);
    case TRUNCATE_EXISTING: return open(path.c_str(), flags | O_TRUNC);
    default: errno = EINVAL; return -1;
  }
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

HANDLE Fail(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

std::shared_ptr<FileObject> LookupFile(HANDLE file) { return zv::kernel::LookupHandle<FileObject>(file); }

BOOL FailWithErrno() {
  zv::SetLastErrorFromErrno(errno);
  return FALSE;
}

bool IsOmitted(const FILETIME* time) {
  // Null leaves a time as it is; so do the all-zero and all-ones values,
  // which Windows reads as "no change".
  return time == nullptr || (time->dwLowDateTime == 0 && time->dwHighDateTime == 0) ||
         (time->dwLowDateTime == 0xFFFFFFFF && time->dwHighDateTime == 0xFFFFFFFF);
}

timespec TimeOrOmit(const FILETIME* time) {
  return IsOmitted(time) ? timespec{0, UTIME_OMIT} : zv::kernel::TimespecFromFileTime(*time);
}

}  // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
  std::string path;
  if (!zv::kernel::NativePathArgument(fileName, path)) return INVALID_HANDLE_VALUE;
  // Asynchronous handles and delete-on-close change what the caller may rely
  // on, so they are refused rather than ignored. Sharing modes are not
  // enforced: POSIX files have no such locks.
  if (flagsAndAttributes & (FILE_FLAG_OVERLAPPED | FILE_FLAG_DELETE_ON_CLOSE)) return Fail(ERROR_NOT_SUPPORTED);
  const Access access = AccessFrom(desiredAccess);
  if (creationDisposition == TRUNCATE_EXISTING && !access.write) return Fail(ERROR_INVALID_PARAMETER);

  // A folder opens only with FILE_FLAG_BACKUP_SEMANTICS, and only as it is
  // (for its times), as on Windows.
  const bool folder = (flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) && IsFolder(path);
  int flags = O_CLOEXEC;
  if (folder) {
    if (creationDisposition != OPEN_EXISTING && creationDisposition != OPEN_ALWAYS) {
      return Fail(ERROR_ACCESS_DENIED);
    }
    flags |= O_RDONLY | O_DIRECTORY;
    creationDisposition = OPEN_EXISTING;
  } else {
    flags |= access.read && access.write ? O_RDWR : access.write ? O_WRONLY : O_RDONLY;
    if (flagsAndAttributes & FILE_FLAG_WRITE_THROUGH) flags |= O_DSYNC;
  }
  const mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  bool existed = false;
  const int fd = OpenForDisposition(path, creationDisposition, flags, mode, existed);
  if (fd < 0) {
    zv::SetLastErrorFromErrno(errno, path);
    return INVALID_HANDLE_VALUE;
  }
  struct stat info {};
  if (!folder && (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))) {
    close(fd);
    return Fail(ERROR_ACCESS_DENIED);
  }
  auto object = std::make_shared<FileObject>(fd, access.read, access.write || folder);
  const HANDLE handle = zv::kernel::InsertHandle(std::move(object));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead, LPDWORD numberOfBytesRead,
              LPOVERLAPPED overlapped) {
  if (numberOfBytesRead != nullptr) *numberOfBytesRead = 0;
  const auto object = LookupFile(file);
  if (!object) return FALSE;
  if (overlapped != nullptr || (buffer == nullptr && numberOfBytesToRead > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!object->canRead()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  // Like a Windows file, the read returns short only at the end of the file.
  DWORD total = 0;
  while (total < numberOfBytesToRead) {
    const ssize_t got = read(object->fd(), static_cast<char*>(buffer) + total, numberOfBytesToRead - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return FailWithErrno();
    if (got == 0) break;
    total += static_cast<DWORD>(got);
    if (numberOfBytesRead != nullptr) *numberOfBytesRead = total;
  }
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD numberOfBytesToWrite, LPDWORD numberOfBytesWritten,
               LPOVERLAPPED overlapped) {
  if (numberOfBytesWritten != nullptr) *numberOfBytesWritten = 0;
  const auto object = LookupFile(file);
  if (!object) return FALSE;
  if (overlapped != nullptr || (buffer == nullptr && numberOfBytesToWrite > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!object->canWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD total = 0;
  while (total < numberOfBytesToWrite) {
    const ssize_t put = write(object->fd(), static_cast<const char*>(buffer) + total, numberOfBytesToWrite - total);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return FailWithErrno();
    total += static_cast<DWORD>(put);
    if (numberOfBytesWritten != nullptr) *numberOfBytesWritten = total;
  }
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer,
                      DWORD moveMethod) {
  const auto object = LookupFile(file);
  if (!object) return FALSE;
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (moveMethod > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const off_t position = lseek(object->fd(), distanceToMove.QuadPart, kWhence[moveMethod]);
  if (position < 0) return FailWithErrno();
  if (newFilePointer != nullptr) newFilePointer->QuadPart = position;
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize) {
  const auto object = LookupFile(file);
  if (!object) return FALSE;
  struct stat info {};
  if (fstat(object->fd(), &info) != 0) return FailWithErrno();
  if (fileSize != nullptr) fileSize->QuadPart = info.st_size;
  return TRUE;
}

BOOL SetEndOfFile(HANDLE file) {
  const auto object = LookupFile(file);
  if (!object) return FALSE;
  if (!object->canWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const off_t position = lseek(object->fd(), 0, SEEK_CUR);
  if (position < 0 || ftruncate(object->fd(), position) != 0) return FailWithErrno();
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  const auto object = LookupFile(file);
  if (!object) return FALSE;
  if (fsync(object->fd()) != 0) return FailWithErrno();
  return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccessTime, const FILETIME* lastWriteTime) {
  // The creation (birth) time cannot be set on Linux; it is left as the file
  // system keeps it, which is what a null creation time asks for anyway.
  const auto object = LookupFile(file);
  if (!object) return FALSE;
  if (IsOmitted(lastAccessTime) && IsOmitted(lastWriteTime)) return TRUE;
  const timespec times[2] = {TimeOrOmit(lastAccessTime), TimeOrOmit(lastWriteTime)};
  if (futimens(object->fd(), times) != 0) return FailWithErrno();
  return TRUE;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime, LPFILETIME lastWriteTime) {
  const auto object = LookupFile(file);
  if (!object) return FALSE;
  zv::kernel::FileFacts facts{};
  if (!zv::kernel::ReadFdFacts(object->fd(), facts)) return FALSE;
  if (creationTime != nullptr) *creationTime = facts.creation;
  if (lastAccessTime != nullptr) *lastAccessTime = facts.lastAccess;
  if (lastWriteTime != nullptr) *lastWriteTime = facts.lastWrite;
  return TRUE;
}
