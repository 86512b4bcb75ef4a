#include "worker/update_worker.h"

#include <algorithm>
#include <vector>

#include "launcher/pending_deletions.h"
#include "launcher/program_folder.h"
#include "windows.h"
#include "worker/archive/file_system.h"
#include "worker/archive/seven_zip_extractor.h"
#include "worker/package_download.h"
#include "worker/set_aside.h"
#include "worker/worker_messages.h"

namespace {

void Post(HWND window, UINT message) { PostMessageW(window, message, 0, 0); }

// A package item that would land outside the program folder (absolute, with
// a drive or climbing out with "..") makes the package unusable: refused
// before anything of the installation is moved.
bool AllItemsStayInside(const std::vector<std::u16string>& names) {
  return std::all_of(names.begin(), names.end(),
                     [](const std::u16string& name) { return name.empty() || SevenZip::IsContainedItemPath(name); });
}

}  // namespace

void UpdateWorker(std::u16string url, HWND window) {
  const std::u16string folder = ProgramFolder();
  const std::u16string packagePath = folder + PackageName(url);

  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(packagePath.c_str(), GetFileExInfoStandard, &data)) DeleteFileW(packagePath.c_str());

  if (!DownloadPackage(url, packagePath, window)) {
    Post(window, UM_DOWNLOAD_FAILED);
    return;
  }

  SevenZip::SevenZipExtractor extractor;
  extractor.SetPath(packagePath);
  const std::vector<std::u16string> itemNames = extractor.ItemNames();
  if (!AllItemsStayInside(itemNames)) {
    Post(window, UM_UNPACK_FAILED);
    return;
  }

  std::vector<std::u16string> setAside;
  const bool allSetAside = SetAsideItems(folder, itemNames, setAside);
  // Before unpacking, whatever its outcome: the old versions are deleted now
  // or recorded for deletion at a later start.
  DeleteOrRecord(setAside);
  if (!allSetAside || extractor.ExtractTo(folder) != 0) {
    Post(window, UM_UNPACK_FAILED);
    return;
  }

  DeleteFileW(packagePath.c_str());
  Post(window, UM_UPDATE_DONE);
}
