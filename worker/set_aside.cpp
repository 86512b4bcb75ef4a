#include "worker/set_aside.h"

#include "windows.h"

namespace {

// Just after the later of the last "/" and the last "\", or 0.
std::size_t BaseNameStart(const std::u16string& name) {
  const auto cut = name.find_last_of(u"\\/");
  return cut == std::u16string::npos ? 0 : cut + 1;
}

bool Exists(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
}

}  // namespace

std::u16string PackageName(const std::u16string& url) { return url.substr(BaseNameStart(url)); }

std::u16string SetAsideName(const std::u16string& name, std::size_t underscores) {
  std::u16string result = name;
  result.insert(BaseNameStart(name), underscores, u'_');
  return result;
}

bool SetAsideItems(const std::u16string& folder, const std::vector<std::u16string>& itemNames,
                   std::vector<std::u16string>& setAside) {
  for (const auto& name : itemNames) {
    // An item without a name would address the program folder itself, which
    // is never moved; the item is unpacked as "[Content]" over its old copy.
    if (name.empty() || !Exists(folder + name)) continue;
    std::size_t underscores = 1;
    while (Exists(folder + SetAsideName(name, underscores))) ++underscores;
    const std::u16string candidate = SetAsideName(name, underscores);
    if (!MoveFileExW((folder + name).c_str(), (folder + candidate).c_str(), MOVEFILE_COPY_ALLOWED)) return false;
    setAside.push_back(candidate);
  }
  return true;
}
