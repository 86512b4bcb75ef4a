#include "tree_writer.h"

#include <algorithm>
#include <stdexcept>

#include "byte_writer.h"

namespace rescomp {
namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;

// Each level remembers where its entry in the parent directory was written,
// so that the entry can be pointed at the level once its place is known.
struct LanguageLevel {
  const Resource* resource;
  std::size_t entryAt = 0;
  std::size_t dataEntryAt = 0;
};
struct NameLevel {
  ResourceName name;
  std::vector<LanguageLevel> languages;
  std::size_t entryAt = 0;
};
struct TypeLevel {
  ResourceName type;
  std::vector<NameLevel> names;
  std::size_t entryAt = 0;
};

std::vector<TypeLevel> Group(const std::vector<Resource>& resources) {
  std::vector<const Resource*> sorted;
  for (const Resource& resource : resources) sorted.push_back(&resource);
  std::sort(sorted.begin(), sorted.end(), [](const Resource* a, const Resource* b) {
    if (!NameEqual(a->type, b->type)) return NameLess(a->type, b->type);
    if (!NameEqual(a->name, b->name)) return NameLess(a->name, b->name);
    return a->language < b->language;
  });
  std::vector<TypeLevel> types;
  for (const Resource* resource : sorted) {
    if (types.empty() || !NameEqual(types.back().type, resource->type)) types.push_back({resource->type, {}});
    auto& names = types.back().names;
    if (names.empty() || !NameEqual(names.back().name, resource->name)) names.push_back({resource->name, {}});
    auto& languages = names.back().languages;
    if (!languages.empty() && languages.back().resource->language == resource->language)
      throw std::runtime_error("two resources with the same type, name and language");
    languages.push_back({resource});
  }
  return types;
}

std::uint32_t Offset(std::size_t at) {
  if (at >= kHighBit) throw std::runtime_error("resources larger than 2 GiB");
  return static_cast<std::uint32_t>(at);
}

void PutDirectoryHeader(ByteWriter& out, std::size_t namedEntries, std::size_t idEntries) {
  for (int i = 0; i < 3; ++i) out.Put32(0);  // characteristics, time stamp, version
  out.Put16(static_cast<std::uint16_t>(namedEntries));
  out.Put16(static_cast<std::uint16_t>(idEntries));
}

// Writes a directory whose entries are named by `names`; the name field of a
// string entry is patched later, when its string is written.
template <typename Level, typename NameOf>
void PutDirectory(ByteWriter& out, std::vector<Level>& levels, NameOf nameOf) {
  const auto named = std::count_if(levels.begin(), levels.end(), [&](const Level& l) { return nameOf(l).isString; });
  if (levels.size() > 0xFFFF) throw std::runtime_error("too many resources in one directory");
  PutDirectoryHeader(out, static_cast<std::size_t>(named), levels.size() - static_cast<std::size_t>(named));
  for (Level& level : levels) {
    level.entryAt = out.Size();
    out.Put32(nameOf(level).isString ? 0 : nameOf(level).number);
    out.Put32(0);
  }
}

void PutName(ByteWriter& out, std::size_t entryAt, const ResourceName& name) {
  if (!name.isString) return;
  out.Patch32(entryAt, kHighBit | Offset(out.Size()));
  out.Put16(static_cast<std::uint16_t>(name.text.size()));
  out.PutText(name.text);
}

}  // namespace

std::vector<std::uint8_t> WriteResourceTree(const std::vector<Resource>& resources) {
  std::vector<TypeLevel> types = Group(resources);
  ByteWriter out;
  PutDirectory(out, types, [](const TypeLevel& l) -> const ResourceName& { return l.type; });
  for (TypeLevel& type : types) {
    out.Patch32(type.entryAt + 4, kHighBit | Offset(out.Size()));
    PutDirectory(out, type.names, [](const NameLevel& l) -> const ResourceName& { return l.name; });
  }
  for (TypeLevel& type : types) {
    for (NameLevel& name : type.names) {
      out.Patch32(name.entryAt + 4, kHighBit | Offset(out.Size()));
      PutDirectoryHeader(out, 0, name.languages.size());
      for (LanguageLevel& language : name.languages) {
        language.entryAt = out.Size();
        out.Put32(language.resource->language);
        out.Put32(0);
      }
    }
  }
  for (TypeLevel& type : types) {
    for (NameLevel& name : type.names) {
      for (LanguageLevel& language : name.languages) {
        out.Patch32(language.entryAt + 4, Offset(out.Size()));
        language.dataEntryAt = out.Size();
        out.Put32(0);  // address, patched below
        out.Put32(Offset(language.resource->data.size()));
        out.Put32(0);  // code page
        out.Put32(0);  // reserved
      }
    }
  }
  for (TypeLevel& type : types) {
    PutName(out, type.entryAt, type.type);
    for (NameLevel& name : type.names) PutName(out, name.entryAt, name.name);
  }
  for (TypeLevel& type : types) {
    for (NameLevel& name : type.names) {
      for (LanguageLevel& language : name.languages) {
        out.AlignTo(8);
        out.Patch32(language.dataEntryAt, Offset(out.Size()));
        out.PutBytes(language.resource->data.data(), language.resource->data.size());
      }
    }
  }
  return out.Take();
}

}  // namespace rescomp
