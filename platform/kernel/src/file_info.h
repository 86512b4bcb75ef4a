// Conversions between POSIX file facts and their Windows forms.
#pragma once

#include <ctime>
#include <string>
#include <sys/stat.h>

#include "win/kernel.h"

namespace zv::kernel {

// FILETIME counts 100 ns ticks since 1601-01-01 UTC.
FILETIME FileTimeFromTimespec(const timespec& time);
timespec TimespecFromFileTime(const FILETIME& time);

// What Windows would report for a file: folder or not, read-only when nobody
// may write it, otherwise "normal".
DWORD AttributesFromMode(mode_t mode);

struct FileFacts {
  DWORD attributes;
  FILETIME creation;
  FILETIME lastAccess;
  FILETIME lastWrite;
  ULONGLONG size;
};

// The facts of the file at `nativePath` (links followed), or of an open file.
// Both set the last error and return false on failure.
bool ReadPathFacts(const std::string& nativePath, FileFacts& facts);
bool ReadFdFacts(int fd, FileFacts& facts);

}  // namespace zv::kernel
