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

// A package item that would land outside the program folder (absolute, with
// a drive or climbing out with "..") makes the package unusable: it is
// refused before anything of the installation is moved.
bool AllItemsStayInside(const std::vector<std::u16string>& names) {
  return std::all_of(names.begin(), names.end(),
                     [](const std::u16string& name) { return name.empty() || SevenZip::IsContainedItemPath(name); });
}

// Sets aside what the package replaces and unpacks it into the folder; the
// outcome message to post.
UINT InstallPackage(const std::u16string& folder, const std::u16string& packagePath) {
  SevenZip::SevenZipExtractor extractor;
  extractor.SetPath(packagePath);
  const std::vector<std::u16string> itemNames = extractor.ItemNames();
  if (!AllItemsStayInside(itemNames)) return UM_UNPACK_FAILED;

  std::vector<std::u16string> setAside;
  const bool allSetAside = SetAsideItems(folder, itemNames, setAside);
  // Before unpacking, whatever its outcome: the old versions are deleted now
  // or recorded for deletion at a later start.
  DeleteOrRecord(setAside);
  if (!allSetAside || extractor.ExtractTo(folder) != 0) return UM_UNPACK_FAILED;

  DeleteFileW(packagePath.c_str());
  return UM_UPDATE_DONE;
}

}  // namespace

void UpdateWorker(std::u16string url, HWND window) {
  const std::u16string folder = ProgramFolder();
  const std::u16string packagePath = folder + PackageName(url);

  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(packagePath.c_str(), GetFileExInfoStandard, &data)) DeleteFileW(packagePath.c_str());

  const UINT outcome = DownloadPackage(url, packagePath, window) ? InstallPackage(folder, packagePath)
                                                                  : UM_DOWNLOAD_FAILED;
  PostMessageW(window, outcome, 0, 0);
}
