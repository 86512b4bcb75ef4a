// The resource script: one declaration per line, fields separated by tabs.
//   resource <type> <name> <language> <file>   the file's bytes as a resource
//   icon <name> <language> <file.ico>          an icon group and its icons
//   version <a.b.c.d>                          starts the version resource
//   translation <language> <code page>         a translation of it
//   string <key> <value>                       a value of the last translation
// Types and names are numbers (decimal or 0x hex), RT_* names, or strings.
#pragma once

#include <string>
#include <vector>

#include "resource_set.h"

namespace rescomp {

struct Script {
  std::vector<Resource> resources;
  std::optional<VersionInfo> version;
};

// Reads the script and the files it names. Throws std::runtime_error with a
// message naming the line at fault.
Script ReadScript(const std::string& path);

}  // namespace rescomp
