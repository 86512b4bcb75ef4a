#include "file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "win/errors.h"
#include "zv/errors.h"

namespace zv {

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileSource::Open(const std::string& nativePath, DWORD* error) {
  // Non-blocking, so that a named pipe given as a program file cannot hold
  // the caller until some writer appears; regular files read as usual.
  fd_ = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    *error = Win32ErrorFromErrno(errno, nativePath);
    return false;
  }
  struct stat info;
  if (::fstat(fd_, &info) != 0) {
    *error = Win32ErrorFromErrno(errno, nativePath);
    return false;
  }
  // Windows opens no folder as a file: it refuses with "access denied"; the
  // same goes for anything else that is not a plain file.
  if (!S_ISREG(info.st_mode)) {
    *error = ERROR_ACCESS_DENIED;
    return false;
  }
  size_ = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool FileSource::Read(std::uint64_t offset, void* out, std::size_t size) const {
  if (offset > size_ || size > size_ - offset) return false;
  auto* bytes = static_cast<char*>(out);
  while (size > 0) {
    const ssize_t got = ::pread(fd_, bytes, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // an error, or the file shrank under us
    bytes += got;
    offset += static_cast<std::uint64_t>(got);
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace zv
