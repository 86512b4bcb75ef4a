#include "launcher/launcher_settings.h"

#include "launcher/json_read.h"
#include "launcher/module_path.h"

#include <fstream>
#include <locale>
#include <string>

namespace {

// launcher.dat lies beside the executable. The path is built from the ANSI
// (UTF-8) module path of any length; the separator that ends the folder is
// the one the module path itself uses, because the file is opened by the C++
// library, which knows only the native separator.
std::string SettingsPath() {
  std::string path = ModulePathA();
  const std::size_t cut = LastSeparator(path);
  if (cut == std::string::npos) return path + "\\launcher.dat";
  const char separator = path[cut];
  path.resize(cut);
  return path + separator + "launcher.dat";
}

}  // namespace

std::int32_t ReadOemIdFrom(std::istream& settings) {
  settings.imbue(std::locale::classic());
  std::string word;
  settings >> word;
  Json::Value root;
  if (!ParseJson(word, root)) return 0;
  // A root that is not an object, and an "id" that asInt would refuse (a
  // string, array, object, or a number outside the signed 32-bit range),
  // count as no usable id rather than ending the launcher.
  return IntOrZero(Member(root, "id"));
}

std::int32_t ReadOemId() {
  std::ifstream settings(SettingsPath());
  if (!settings.is_open()) return 0;
  return ReadOemIdFrom(settings);
}
