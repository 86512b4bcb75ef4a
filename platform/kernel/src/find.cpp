// FindFirstFileW, FindNextFileW and FindClose over one folder.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "file_info.h"
#include "handles.h"
#include "paths.h"
#include "zv/errors.h"
#include "zv/text.h"

namespace {

// The folder's matching entries, taken when the search starts.
class FindObject : public zv::kernel::KernelObject {
 public:
  explicit FindObject(std::vector<WIN32_FIND_DATAW> entries) : entries_(std::move(entries)) {}

  bool Next(WIN32_FIND_DATAW& data) {
    if (next_ >= entries_.size()) return false;
    data = entries_[next_++];
    return true;
  }

 private:
  std::vector<WIN32_FIND_DATAW> entries_;
  std::size_t next_ = 0;
};

char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// Windows wildcards: "*" any run, "?" one character, case-insensitive for
// ASCII letters; "*.*" matches every name, also those without a dot.
bool Matches(std::u16string_view pattern, std::u16string_view name) {
  if (pattern == u"*.*") pattern = u"*";
  std::size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool DescribeEntry(int folderFd, const std::string& name, WIN32_FIND_DATAW& data) {
  const std::u16string wide = zv::FromUtf8(name);
  if (wide.size() >= MAX_PATH) return false;
  struct stat info {};
  // A dangling symbolic link is still listed, as the link itself.
  if (fstatat(folderFd, name.c_str(), &info, 0) != 0 &&
      fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return false;
  }
  data = WIN32_FIND_DATAW{};
  data.dwFileAttributes = zv::kernel::AttributesFromMode(info.st_mode);
  // A listing does not ask for birth times; the data's age stands in.
  data.ftCreationTime = zv::kernel::FileTimeFromTimespec(info.st_mtim);
  data.ftLastAccessTime = zv::kernel::FileTimeFromTimespec(info.st_atim);
  data.ftLastWriteTime = zv::kernel::FileTimeFromTimespec(info.st_mtim);
  const auto size = S_ISDIR(info.st_mode) ? 0 : static_cast<ULONGLONG>(info.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  std::copy(wide.begin(), wide.end(), data.cFileName);
  return true;
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData) {
  std::string path;
  if (!zv::kernel::NativePathArgument(fileName, path)) return INVALID_HANDLE_VALUE;
  if (findFileData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const std::u16string pattern = zv::FromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
  if (pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }

  std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
  if (!dir) {
    // The folder part is missing or no folder: a path error, as on Windows.
    zv::SetLastErrorFromErrno(errno == ENOENT ? ENOTDIR : errno, folder);
    return INVALID_HANDLE_VALUE;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir.get())) {
    if (Matches(pattern, zv::FromUtf8(entry->d_name))) names.emplace_back(entry->d_name);
  }
  // Folder order is arbitrary here; names in order give every caller the
  // same, repeatable listing.
  std::sort(names.begin(), names.end());
  std::vector<WIN32_FIND_DATAW> entries;
  for (const auto& name : names) {
    WIN32_FIND_DATAW data;
    if (DescribeEntry(dirfd(dir.get()), name, data)) entries.push_back(data);
  }
  if (entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto search = std::make_shared<FindObject>(std::move(entries));
  search->Next(*findFileData);
  SetLastError(ERROR_SUCCESS);
  return zv::kernel::InsertHandle(std::move(search));
}

BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData) {
  const auto search = zv::kernel::LookupHandle<FindObject>(findFile);
  if (!search) return FALSE;
  if (findFileData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!search->Next(*findFileData)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL FindClose(HANDLE findFile) {
  if (!zv::kernel::LookupHandle<FindObject>(findFile)) return FALSE;
  zv::kernel::RemoveHandle(findFile);
  return TRUE;
}
