// GetModuleFileNameW/A and GetModuleHandleW for the running program.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

#include "own_module.h"
#include "zv/errors.h"
#include "zv/text.h"

namespace {

std::string ReadExecutablePath() {
  std::string path(PATH_MAX, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  path.resize(length < 0 ? 0 : static_cast<size_t>(length));
  return path;
}

// The path is taken once, as the program starts: a Windows program's module
// name stays the name it was started under, even when an update renames or
// deletes the file later (the kernel's link would then show the new name).
const std::string& ExecutablePath() {
  static const std::string path = ReadExecutablePath();
  return path;
}
[[maybe_unused]] const bool kPathTakenAtStart = !ExecutablePath().empty();

bool IsOwnModule(HMODULE module) { return module == nullptr || module == zv::kernel::OwnModuleHandle(); }

// Copies as Windows does: the whole text and a terminator when they fit;
// otherwise as much as fits with a terminator, the buffer size as result and
// ERROR_INSUFFICIENT_BUFFER, so a cut path can be told apart.
template <typename Char>
DWORD CopyModulePath(const std::basic_string<Char>& path, Char* buffer, DWORD size) {
  if (buffer == nullptr && size > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const auto copied = static_cast<DWORD>(std::min<std::size_t>(path.size(), size - 1));
  std::copy_n(path.begin(), copied, buffer);
  buffer[copied] = Char{};
  if (copied < path.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  SetLastError(ERROR_SUCCESS);
  return copied;
}

DWORD ModuleMissing() {
  SetLastError(ERROR_MOD_NOT_FOUND);
  return 0;
}

}  // namespace

HMODULE zv::kernel::OwnModuleHandle() {
  static const HMODULE handle = [] {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&ReadExecutablePath), &info);
    return static_cast<HMODULE>(info.dli_fbase);
  }();
  return handle;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  if (!IsOwnModule(module)) return ModuleMissing();
  return CopyModulePath(zv::FromUtf8(ExecutablePath()), fileName, size);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (!IsOwnModule(module)) return ModuleMissing();
  return CopyModulePath(ExecutablePath(), fileName, size);
}
