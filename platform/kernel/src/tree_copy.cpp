#include "tree_copy.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zv::kernel {
namespace {

bool Fail(TreeError& error, const std::string& path) {
  error = TreeError{errno, path};
  return false;
}

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) close(fd);
  }
};

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

bool ListFolder(const std::string& path, std::vector<std::string>& names, TreeError& error) {
  std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
  if (!dir) return Fail(error, path);
  errno = 0;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  return errno == 0 || Fail(error, path);
}

bool CopyData(int from, int to) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = write(to, buffer + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return false;
      done += put;
    }
  }
}

bool CopyFile(const std::string& from, const std::string& to, const struct stat& info, TreeError& error) {
  FdCloser source{open(from.c_str(), O_RDONLY | O_CLOEXEC)};
  if (source.fd < 0) return Fail(error, from);
  FdCloser target{open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)};
  if (target.fd < 0) return Fail(error, to);
  const timespec times[2] = {info.st_atim, info.st_mtim};
  if (!CopyData(source.fd, target.fd) || fchmod(target.fd, info.st_mode & 07777) != 0 ||
      futimens(target.fd, times) != 0) {
    Fail(error, to);
    unlink(to.c_str());
    return false;
  }
  if (close(target.fd) != 0) {
    target.fd = -1;
    Fail(error, to);
    unlink(to.c_str());
    return false;
  }
  target.fd = -1;
  return true;
}

bool CopyLink(const std::string& from, const std::string& to, const struct stat& info, TreeError& error) {
  std::string target(static_cast<size_t>(info.st_size) + 1, '\0');
  const ssize_t length = readlink(from.c_str(), target.data(), target.size());
  if (length < 0) return Fail(error, from);
  target.resize(static_cast<size_t>(length));
  if (symlink(target.c_str(), to.c_str()) != 0) return Fail(error, to);
  const timespec times[2] = {info.st_atim, info.st_mtim};
  utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW);
  return true;
}

bool CopyFolder(const std::string& from, const std::string& to, const struct stat& info, TreeError& error) {
  std::vector<std::string> names;
  if (!ListFolder(from, names, error)) return false;
  if (mkdir(to.c_str(), 0700) != 0) return Fail(error, to);
  for (const auto& name : names) {
    if (!CopyTree(from + "/" + name, to + "/" + name, error)) {
      TreeError ignored;
      RemoveTree(to, ignored);
      return false;
    }
  }
  // Times last: creating the entries changed the folder's own times.
  const timespec times[2] = {info.st_atim, info.st_mtim};
  if (chmod(to.c_str(), info.st_mode & 07777) != 0 || utimensat(AT_FDCWD, to.c_str(), times, 0) != 0) {
    Fail(error, to);
    TreeError ignored;
    RemoveTree(to, ignored);
    return false;
  }
  return true;
}

}  // namespace

bool CopyTree(const std::string& from, const std::string& to, TreeError& error) {
  struct stat info {};
  if (lstat(from.c_str(), &info) != 0) return Fail(error, from);
  if (S_ISREG(info.st_mode)) return CopyFile(from, to, info, error);
  if (S_ISDIR(info.st_mode)) return CopyFolder(from, to, info, error);
  if (S_ISLNK(info.st_mode)) return CopyLink(from, to, info, error);
  // Devices, pipes and sockets have no place in an installation.
  errno = EOPNOTSUPP;
  return Fail(error, from);
}

bool RemoveTree(const std::string& path, TreeError& error) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return Fail(error, path);
  if (!S_ISDIR(info.st_mode)) return unlink(path.c_str()) == 0 || Fail(error, path);
  std::vector<std::string> names;
  if (!ListFolder(path, names, error)) return false;
  for (const auto& name : names) {
    if (!RemoveTree(path + "/" + name, error)) return false;
  }
  return rmdir(path.c_str()) == 0 || Fail(error, path);
}

}  // namespace zv::kernel
