// IStream over a file descriptor, as SHCreateStreamOnFileEx hands out.

// Our declarations come first: <fcntl.h> defines a LOCK_WRITE macro of its
// own that would otherwise mangle the stream lock constant of the same name.
#include "shlwapi.h"
#include "win/kernel.h"
#include "zv/errors.h"
#include "zv/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <string>

namespace {

constexpr DWORD kAccessMask = 0x3;
constexpr std::int64_t kUnixToFileTimeSeconds = 11644473600LL;

HRESULT HresultFromErrno(int err, const std::string& path = {}) {
  return HRESULT_FROM_WIN32(zv::Win32ErrorFromErrno(err, path));
}

// A failed open leaves its Windows code as the last error too, as the
// CreateFileW underneath does on Windows.
HRESULT OpenFailure(DWORD code) {
  SetLastError(code);
  return HRESULT_FROM_WIN32(code);
}

FILETIME FileTimeFromTimespec(const timespec& time) {
  const std::uint64_t ticks =
      static_cast<std::uint64_t>(time.tv_sec + kUnixToFileTimeSeconds) * 10000000ULL +
      static_cast<std::uint64_t>(time.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

class FileStream final : public IStream {
 public:
  FileStream(int fd, DWORD mode, std::u16string name) : fd_(fd), mode_(mode), name_(std::move(name)) {}
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
      *object = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // Reads until `size` bytes or the end of the file; fewer bytes than asked
  // give S_FALSE, as Windows file streams do.
  STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override {
    if (read != nullptr) *read = 0;
    if ((mode_ & kAccessMask) == STGM_WRITE) return STG_E_ACCESSDENIED;
    if (buffer == nullptr && size != 0) return STG_E_INVALIDPOINTER;
    ULONG done = 0;
    while (done < size) {
      const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, size - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (read != nullptr) *read = done;
        return STG_E_READFAULT;
      }
      if (n == 0) break;
      done += static_cast<ULONG>(n);
    }
    if (read != nullptr) *read = done;
    return done == size ? S_OK : S_FALSE;
  }

  // Writes everything or reports why not, with the count of what was written.
  STDMETHODIMP Write(const void* buffer, ULONG size, ULONG* written) override {
    if (written != nullptr) *written = 0;
    if ((mode_ & kAccessMask) == STGM_READ) return STG_E_ACCESSDENIED;
    if (buffer == nullptr && size != 0) return STG_E_INVALIDPOINTER;
    ULONG done = 0;
    HRESULT result = S_OK;
    while (done < size) {
      const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, size - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        result = errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
        break;
      }
      done += static_cast<ULONG>(n);
    }
    if (written != nullptr) *written = done;
    return result;
  }

  STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    int whence = 0;
    switch (origin) {
      case STREAM_SEEK_SET: whence = SEEK_SET; break;
      case STREAM_SEEK_CUR: whence = SEEK_CUR; break;
      case STREAM_SEEK_END: whence = SEEK_END; break;
      default: return STG_E_INVALIDFUNCTION;
    }
    const off_t position = ::lseek(fd_, static_cast<off_t>(move.QuadPart), whence);
    if (position < 0) return errno == EINVAL ? STG_E_INVALIDFUNCTION : HresultFromErrno(errno);
    if (newPosition != nullptr) newPosition->QuadPart = static_cast<ULONGLONG>(position);
    return S_OK;
  }

  STDMETHODIMP SetSize(ULARGE_INTEGER newSize) override {
    if ((mode_ & kAccessMask) == STGM_READ) return STG_E_ACCESSDENIED;
    if (newSize.QuadPart > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max())) return STG_E_INVALIDFUNCTION;
    if (::ftruncate(fd_, static_cast<off_t>(newSize.QuadPart)) != 0) {
      return errno == EFBIG || errno == ENOSPC ? STG_E_MEDIUMFULL : HresultFromErrno(errno);
    }
    return S_OK;
  }

  // Copying between streams and cloning are not offered by this layer.
  STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }

  // The stream is direct: Commit only makes sure the bytes reach the disk.
  STDMETHODIMP Commit(DWORD) override {
    if ((mode_ & kAccessMask) == STGM_READ) return S_OK;
    return ::fsync(fd_) == 0 ? S_OK : HresultFromErrno(errno);
  }
  STDMETHODIMP Revert() override { return S_OK; }
  STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

  STDMETHODIMP Stat(STATSTG* stat, DWORD flags) override {
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return HresultFromErrno(errno);
    std::memset(stat, 0, sizeof(*stat));
    if ((flags & STATFLAG_NONAME) == 0) {
      const std::size_t bytes = (name_.size() + 1) * sizeof(WCHAR);
      stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
      if (stat->pwcsName == nullptr) return E_OUTOFMEMORY;
      std::memcpy(stat->pwcsName, name_.c_str(), bytes);
    }
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = static_cast<ULONGLONG>(info.st_size);
    stat->mtime = FileTimeFromTimespec(info.st_mtim);
    stat->ctime = FileTimeFromTimespec(info.st_ctim);
    stat->atime = FileTimeFromTimespec(info.st_atim);
    stat->grfMode = mode_;
    return S_OK;
  }

  STDMETHODIMP Clone(IStream** clone) override {
    if (clone != nullptr) *clone = nullptr;
    return E_NOTIMPL;
  }

 private:
  ~FileStream() { ::close(fd_); }

  std::atomic<ULONG> references_{1};
  int fd_;
  DWORD mode_;
  std::u16string name_;
};

std::u16string BaseName(const char16_t* path) {
  std::u16string full(path);
  const auto cut = full.find_last_of(u"\\/");
  return cut == std::u16string::npos ? full : full.substr(cut + 1);
}

// The open(2) flags for grfMode and the create argument; -1 for a mode that
// cannot be honoured.
int OpenFlags(DWORD mode, BOOL create) {
  int flags = O_CLOEXEC;
  switch (mode & kAccessMask) {
    case STGM_READ: flags |= O_RDONLY; break;
    case STGM_WRITE: flags |= O_WRONLY; break;
    case STGM_READWRITE: flags |= O_RDWR; break;
    default: return -1;
  }
  if ((mode & STGM_CREATE) != 0) {
    if ((mode & kAccessMask) == STGM_READ) return -1;  // creating needs write access
    flags |= O_CREAT | O_TRUNC;
  } else if (create) {
    flags |= O_CREAT | O_EXCL;
  }
  return flags;
}

}  // namespace

HRESULT SHCreateStreamOnFileEx(LPCWSTR file, DWORD grfMode, DWORD attributes, BOOL create,
                               IStream* streamTemplate, IStream** stream) {
  if (stream == nullptr) return E_INVALIDARG;
  *stream = nullptr;
  if (file == nullptr || streamTemplate != nullptr) return E_INVALIDARG;
  const int flags = OpenFlags(grfMode, create);
  if (flags < 0) return E_INVALIDARG;
  const std::string path = zv::NativePath(file);
  const mode_t permissions = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags, permissions);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return OpenFailure(zv::Win32ErrorFromErrno(errno, path));
  // A folder opens fine under POSIX but is no stream; Windows denies it.
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return OpenFailure(ERROR_ACCESS_DENIED);
  }
  auto* created = new (std::nothrow) FileStream(fd, grfMode, BaseName(file));
  if (created == nullptr) {
    ::close(fd);
    return E_OUTOFMEMORY;
  }
  *stream = created;
  return S_OK;
}
