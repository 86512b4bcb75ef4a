// An .ico file as a program carries it: each image becomes an RT_ICON
// resource, and an RT_GROUP_ICON resource lists them by their ids.
#pragma once

#include <cstdint>
#include <vector>

#include "resource_set.h"

namespace rescomp {

// Appends the icons and their group to `out`. Icon ids are taken from
// `nextIconId` upward. Throws std::runtime_error for a malformed file.
void AddIconGroup(const ResourceName& name, std::uint16_t language, const std::vector<std::uint8_t>& ico,
                  std::uint16_t* nextIconId, std::vector<Resource>* out);

}  // namespace rescomp
