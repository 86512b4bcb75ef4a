#include "file_info.h"

#include <cerrno>
#include <fcntl.h>

#include "zv/errors.h"

namespace zv::kernel {
namespace {

constexpr long long kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr long long kEpochDifference = 11'644'473'600;

FILETIME FromStatxTime(const statx_timestamp& time) {
  return FileTimeFromTimespec(timespec{static_cast<time_t>(time.tv_sec), static_cast<long>(time.tv_nsec)});
}

}  // namespace

FILETIME FileTimeFromTimespec(const timespec& time) {
  const long long ticks = (static_cast<long long>(time.tv_sec) + kEpochDifference) * kTicksPerSecond +
                          time.tv_nsec / 100;
  const auto value = static_cast<ULONGLONG>(ticks < 0 ? 0 : ticks);
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

timespec TimespecFromFileTime(const FILETIME& time) {
  const auto ticks = static_cast<long long>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                            time.dwLowDateTime);
  // Ticks are never negative here, so plain division floors.
  return timespec{static_cast<time_t>(ticks / kTicksPerSecond - kEpochDifference),
                  static_cast<long>((ticks % kTicksPerSecond) * 100)};
}

DWORD AttributesFromMode(mode_t mode) {
  DWORD attributes = 0;
  if (S_ISDIR(mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

namespace {

bool ReadFacts(int dirFd, const char* path, int flags, const std::string& pathForErrors,
               FileFacts& facts) {
  struct statx info {};
  if (statx(dirFd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    SetLastErrorFromErrno(errno, pathForErrors);
    return false;
  }
  facts.attributes = AttributesFromMode(info.stx_mode);
  // File systems without a birth time: the last change of the data is the
  // closest honest answer.
  facts.creation = FromStatxTime((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
  facts.lastAccess = FromStatxTime(info.stx_atime);
  facts.lastWrite = FromStatxTime(info.stx_mtime);
  facts.size = S_ISDIR(info.stx_mode) ? 0 : info.stx_size;
  return true;
}

}  // namespace

bool ReadPathFacts(const std::string& nativePath, FileFacts& facts) {
  return ReadFacts(AT_FDCWD, nativePath.c_str(), 0, nativePath, facts);
}

bool ReadFdFacts(int fd, FileFacts& facts) { return ReadFacts(fd, "", AT_EMPTY_PATH, {}, facts); }

}  // namespace zv::kernel
