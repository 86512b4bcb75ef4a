#include "paths.h"

#include <algorithm>

#include "zv/text.h"

namespace zv::kernel {

bool NativePathArgument(LPCWSTR path, std::string& nativePath) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (path[0] == u'\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  nativePath = zv::NativePath(path);
  return true;
}

DWORD CopyToBufferOrSizeNeeded(const std::u16string& text, DWORD size, LPWSTR buffer) {
  const auto needed = static_cast<DWORD>(text.size() + 1);
  if (buffer == nullptr || size < needed) return needed;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = u'\0';
  return needed - 1;
}

}  // namespace zv::kernel
