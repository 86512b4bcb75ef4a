// The resource directory tree in the Windows layout: a root directory of
// types, one directory of names per type and one of languages per name, data
// entries, the names' strings, then the data. Data addresses are offsets from
// the tree's start, which is where the program finds the embedded section.
#pragma once

#include <cstdint>
#include <vector>

#include "resource_set.h"

namespace rescomp {

// Throws std::runtime_error when two resources share type, name and language.
std::vector<std::uint8_t> WriteResourceTree(const std::vector<Resource>& resources);

}  // namespace rescomp
