#include "worker/package_download.h"

#include "urlmon.h"
#include "windows.h"
#include "worker/bind_callback.h"

namespace {

// The folder part of a path: everything before its last "\" or "/". Empty
// when the path has no separator, or only the one that starts it: then the
// path lies in the current or the root folder, which are always there.
std::u16string FolderOf(const std::u16string& path) {
  const auto cut = path.find_last_of(u"\\/");
  return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
}

bool Exists(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
}

}  // namespace

bool MakeDirectories(const std::u16string& path) {
  const std::u16string parent = FolderOf(path);
  if (!parent.empty() && !Exists(parent) && !MakeDirectories(parent)) return false;
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool DownloadPackage(const std::u16string& url, const std::u16string& target, HWND window) {
  // A target without a folder of its own goes to the current folder. (Taking
  // the whole target for its folder would make a folder where the file
  // belongs and the download could never succeed.)
  const std::u16string folder = FolderOf(target);
  if (!folder.empty() && !Exists(folder) && !MakeDirectories(folder)) return false;
  BindCallback callback(window);
  // Only exactly S_OK counts: other success codes do not promise the file.
  if (URLDownloadToFileW(nullptr, url.c_str(), target.c_str(), 0, &callback) != S_OK) return false;
  return GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
}
