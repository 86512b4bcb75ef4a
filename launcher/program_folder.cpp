#include "launcher/program_folder.h"

#include "launcher/module_path.h"

std::u16string ProgramFolder() {
  const std::u16string path = ModulePathW();
  const std::size_t cut = LastSeparator(path);
  // A module path without any separator names no folder; the empty folder
  // then makes every name relative to the current folder rather than to a
  // made-up one.
  if (cut == std::u16string::npos) return {};
  return path.substr(0, cut + 1);
}
