// The VS_VERSIONINFO block of a version resource, in its binary layout:
// nodes of (length, value length, type, key, value, children), each aligned to
// 32 bits, with the fixed file information at the root, a StringFileInfo with
// one string table per translation and a VarFileInfo listing the translations.
#pragma once

#include <cstdint>
#include <vector>

#include "resource_set.h"

namespace rescomp {

std::vector<std::uint8_t> BuildVersionBlock(const VersionInfo& info);

// The RT_VERSION resource (id 1) in the first translation's language.
Resource VersionResource(const VersionInfo& info);

}  // namespace rescomp
