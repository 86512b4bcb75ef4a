#include "worker/archive/file_system.h"

#include "shellapi.h"
#include "shlobj.h"
#include "shlwapi.h"
#include "windows.h"

namespace SevenZip {
namespace {

constexpr std::size_t kLongestDeletablePath = 260;
constexpr FILEOP_FLAGS kSilentDelete = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back())) return folder + name;
  return folder + u"\\" + name;
}

std::u16string DirectoryPart(const std::u16string& path) {
  const auto cut = path.find_last_of(u"\\/");
  return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

bool EnsureDirectoryTree(const std::u16string& path) {
  const int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

bool PathExists(const std::u16string& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool DeletePath(const std::u16string& path) {
  if (path.empty() || path.size() > kLongestDeletablePath) {
    // Refused without trying; the caller reports the last error.
    SetLastError(path.empty() ? ERROR_INVALID_NAME : ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (!PathExists(path)) return true;
  std::u16string sources = path;
  sources.push_back(u'\0');  // the list ends in two zeros; c_str() adds the second
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = sources.c_str();
  operation.fFlags = kSilentDelete;
  return SHFileOperationW(&operation) == 0;
}

IStream* OpenReadStream(const std::u16string& path) {
  IStream* stream = nullptr;
  const HRESULT result = SHCreateStreamOnFileEx(path.c_str(), STGM_READ, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &stream);
  return FAILED(result) ? nullptr : stream;
}

IStream* CreateWriteStream(const std::u16string& path) {
  IStream* stream = nullptr;
  const HRESULT result =
      SHCreateStreamOnFileEx(path.c_str(), STGM_CREATE | STGM_WRITE, FILE_ATTRIBUTE_NORMAL, TRUE, nullptr, &stream);
  return FAILED(result) ? nullptr : stream;
}

bool IsContainedItemPath(const std::u16string& path) {
  if (path.empty() || IsSeparator(path.front())) return false;
  const bool hasDrive = path.size() >= 2 && path[1] == u':' &&
                        ((path[0] >= u'a' && path[0] <= u'z') || (path[0] >= u'A' && path[0] <= u'Z'));
  if (hasDrive) return false;
  bool namesSomething = false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::u16string step = path.substr(start, end - start);
    if (step == u"..") return false;
    if (!step.empty() && step != u".") namesSomething = true;
    start = end + 1;
  }
  return namesSomething;
}

}  // namespace SevenZip
