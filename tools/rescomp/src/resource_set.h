// What a program declares as its resources, as the resource compiler reads it
// from the script that zv_add_resources writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rescomp {

// A resource type or name: a number, or an upper-cased string (resource
// names are matched without case, and stored upper-cased as Windows does).
struct ResourceName {
  bool isString = false;
  std::uint16_t number = 0;
  std::u16string text;
};

struct Resource {
  ResourceName type;
  ResourceName name;
  std::uint16_t language = 0;
  std::vector<std::uint8_t> data;
};

struct VersionTranslation {
  std::uint16_t language = 0;
  std::uint16_t codePage = 0;
  std::vector<std::pair<std::u16string, std::u16string>> strings;
};

struct VersionInfo {
  std::uint16_t version[4] = {0, 0, 0, 0};
  std::vector<VersionTranslation> translations;
};

inline ResourceName NumberedName(std::uint16_t number) { return ResourceName{false, number, {}}; }

// Orders names as the resource directory lists them: strings first (by their
// code units), then numbers in ascending order.
bool NameLess(const ResourceName& a, const ResourceName& b);
bool NameEqual(const ResourceName& a, const ResourceName& b);

}  // namespace rescomp
