// Machine-wide named events.
//
// Each name is a small file in a shared-memory folder that every process
// holding the name maps; waiters sleep on the event's word with futexes, which
// work across processes on a shared mapping. Who holds a name is kept by the
// kernel's open-file-description locks, which die with their process, also
// one killed with SIGKILL: each holder keeps a read lock on byte 0 of the
// file. Byte 1 is a gate that serialises creating and releasing: under it, a
// creator that can write-lock byte 0 knows that nobody holds the name (so it
// starts the event afresh, whatever a dead holder left there), and a releaser
// that can write-lock byte 0 knows it is the last holder and unlinks the file.
// A creator that opened the file just before it was unlinked sees, under the
// gate, that its file is no longer the one at the path, and starts over.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "event_object.h"
#include "zv/errors.h"
#include "zv/text.h"

namespace zv::kernel {
namespace {

constexpr const char* kFolder = "/dev/shm/zv-kernel-objects";
constexpr off_t kHoldersByte = 0;
constexpr off_t kGateByte = 1;
constexpr std::size_t kFileSize = 4096;

bool Lock(int fd, short type, off_t byte, bool wait) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// The folder is shared by all users, so it is writable by all, and it has no
// sticky bit: the last holder of a name must be able to remove the name's
// file whoever created it. It is made complete under a private name and then
// renamed into place, so no one ever sees it with narrower rights. Returns the
// open folder, or -1 (errno set); a symbolic link in its place is refused, so
// nobody can steer the files into another folder.
int OpenFolder() {
  struct stat info {};
  if (lstat(kFolder, &info) != 0) {
    char staging[64];
    std::snprintf(staging, sizeof staging, "%s.%d", kFolder, static_cast<int>(getpid()));
    if ((mkdir(staging, 0700) != 0 && errno != EEXIST) || chmod(staging, 0777) != 0) return -1;
    // Never over a folder that another process made meanwhile (an empty one
    // would be replaced, and that process's files lost with it).
    if (renameat2(AT_FDCWD, staging, AT_FDCWD, kFolder, RENAME_NOREPLACE) != 0) rmdir(staging);
  }
  return open(kFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

std::uint64_t Fnv1a(const std::string& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// A file name for any event name: letters, digits, ".", "-" and "_" stay,
// other bytes are written as %XX; a very long result keeps its start and ends
// in a hash of the whole name.
std::string FileNameFor(const std::u16string& name) {
  const std::string bytes = zv::ToUtf8(name);
  std::string encoded = "event-";
  for (unsigned char c : bytes) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_') {
      encoded += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      encoded += escaped;
    }
  }
  if (encoded.size() > 200) {
    char hash[20];
    std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(Fnv1a(bytes)));
    encoded = encoded.substr(0, 150) + hash;
  }
  return encoded;
}

bool SameFile(int fd, int folder, const std::string& name) {
  struct stat opened {};
  struct stat named {};
  return fstat(fd, &opened) == 0 && fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

int OpenOrCreateFile(int folder, const std::string& name) {
  for (;;) {
    // Never through a symbolic link: anyone may put files in the folder.
    const int fd = openat(folder, name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) return fd;
    const int created = openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (created >= 0) {
      fchmod(created, 0666);
      return created;
    }
    if (errno != EEXIST) return -1;
  }
}

class NamedEvent : public EventObject {
 public:
  NamedEvent(int folder, int fd, EventCell* cell, std::string name)
      : folder_(folder), fd_(fd), cell_(cell), name_(std::move(name)) {}
  NamedEvent(const NamedEvent&) = delete;
  NamedEvent& operator=(const NamedEvent&) = delete;

  ~NamedEvent() override {
    munmap(cell_, kFileSize);
    Lock(fd_, F_WRLCK, kGateByte, true);
    if (Lock(fd_, F_WRLCK, kHoldersByte, false) && SameFile(fd_, folder_, name_)) {
      unlinkat(folder_, name_.c_str(), 0);
    }
    // Closing drops this holder's locks, the gate included.
    close(fd_);
    close(folder_);
  }

 protected:
  EventCell& Cell() override { return *cell_; }

 private:
  int folder_;
  int fd_;
  EventCell* cell_;
  std::string name_;
};

EventCell* MapCell(int fd) {
  void* memory = mmap(nullptr, kFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  return memory == MAP_FAILED ? nullptr : static_cast<EventCell*>(memory);
}

// Under the gate: joins the holders, starting the event afresh when there are
// none. Returns the mapped cell or null (errno set).
EventCell* JoinHolders(int fd, bool manualReset, bool initialState, bool& existed) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return nullptr;
  // Only a plain file of its own is written to, never a hard link to some
  // other file.
  if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
    errno = EACCES;
    return nullptr;
  }
  if (Lock(fd, F_WRLCK, kHoldersByte, false)) {
    existed = false;
    if (static_cast<std::size_t>(info.st_size) != kFileSize && ftruncate(fd, kFileSize) != 0) return nullptr;
    EventCell* cell = MapCell(fd);
    if (cell == nullptr) return nullptr;
    cell->manualReset.store(manualReset ? 1u : 0u);
    cell->word.store(initialState ? 1u : 0u);
    Lock(fd, F_RDLCK, kHoldersByte, false);  // an atomic downgrade, never refused
    return cell;
  }
  if (errno != EAGAIN && errno != EACCES) return nullptr;
  existed = true;
  if (!Lock(fd, F_RDLCK, kHoldersByte, true)) return nullptr;
  if (static_cast<std::size_t>(info.st_size) != kFileSize) {
    errno = EACCES;
    return nullptr;
  }
  return MapCell(fd);
}

}  // namespace

std::shared_ptr<EventObject> OpenNamedEvent(const std::u16string& name, bool manualReset, bool initialState,
                                            bool& existed) {
  const int folder = OpenFolder();
  if (folder < 0) {
    SetLastErrorFromErrno(errno == ELOOP ? EACCES : errno);
    return nullptr;
  }
  const std::string fileName = FileNameFor(name);
  for (;;) {
    const int fd = OpenOrCreateFile(folder, fileName);
    if (fd < 0 || !Lock(fd, F_WRLCK, kGateByte, true)) {
      SetLastErrorFromErrno(errno == ELOOP ? EACCES : errno);
      if (fd >= 0) close(fd);
      close(folder);
      return nullptr;
    }
    if (!SameFile(fd, folder, fileName)) {
      close(fd);  // released by its last holder meanwhile: start over
      continue;
    }
    EventCell* cell = JoinHolders(fd, manualReset, initialState, existed);
    if (cell == nullptr) {
      SetLastErrorFromErrno(errno);
      close(fd);
      close(folder);
      return nullptr;
    }
    Lock(fd, F_UNLCK, kGateByte, false);
    return std::make_shared<NamedEvent>(folder, fd, cell, fileName);
  }
}

}  // namespace zv::kernel
