#include "resource_tree.h"

#include <vector>

#include "win/errors.h"
#include "win/resource.h"

namespace zv {
namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kEntrySize = 8;

struct DirectoryEntry {
  std::uint32_t name;
  std::uint32_t target;
};

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// The entries of the directory at `offset` (relative to the root), or nullopt
// when its header or entry array does not lie in the source.
std::optional<std::vector<DirectoryEntry>> ReadDirectory(const ResourceDirectory& tree,
                                                        std::uint32_t offset) {
  const std::uint64_t at = tree.rootOffset + offset;
  WORD counts[2];
  if (!tree.source->Read(at + 12, counts, sizeof(counts))) return std::nullopt;
  std::vector<DirectoryEntry> entries(std::size_t{counts[0]} + counts[1]);
  if (!tree.source->Read(at + kDirectoryHeaderSize, entries.data(), entries.size() * kEntrySize))
    return std::nullopt;
  return entries;
}

bool EntryMatches(const ResourceDirectory& tree, const DirectoryEntry& entry, const ResourceId& id) {
  const bool entryIsString = (entry.name & kHighBit) != 0;
  if (entryIsString != id.isString) return false;
  if (!entryIsString) return (entry.name & 0xFFFF) == id.number;
  const std::uint64_t at = tree.rootOffset + (entry.name & ~kHighBit);
  WORD length = 0;
  if (!ReadValue(*tree.source, at, &length) || length != id.text.size()) return false;
  std::u16string text(length, u'\0');
  if (!tree.source->Read(at + 2, text.data(), length * sizeof(char16_t))) return false;
  return id.Matches(text);
}

// The subdirectory that `id` leads to within the directory at `offset`.
std::optional<std::uint32_t> FindSubdirectory(const ResourceDirectory& tree, std::uint32_t offset,
                                              const ResourceId& id, bool* readable) {
  auto entries = ReadDirectory(tree, offset);
  if (!entries) {
    *readable = false;
    return std::nullopt;
  }
  for (const DirectoryEntry& entry : *entries) {
    if ((entry.target & kHighBit) != 0 && EntryMatches(tree, entry, id)) return entry.target & ~kHighBit;
  }
  return std::nullopt;
}

bool ReadDataEntry(const ResourceDirectory& tree, std::uint32_t offset, WORD language,
                   FoundResource* found) {
  std::uint32_t fields[2];  // address, size
  const std::uint64_t at = tree.rootOffset + offset;
  if (!tree.source->Read(at, fields, sizeof(fields))) return false;
  const auto dataOffset = tree.mapAddress(fields[0], fields[1]);
  if (!dataOffset) return false;
  *found = FoundResource{at, *dataOffset, fields[1], language};
  return true;
}

}  // namespace

ResourceId ResourceId::From(LPCWSTR value) {
  ResourceId id;
  if (IS_INTRESOURCE(value)) {
    id.number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
  } else {
    id.isString = true;
    id.text = value;
  }
  return id;
}

bool ResourceId::Matches(std::u16string_view otherText) const {
  if (otherText.size() != text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (FoldAscii(text[i]) != FoldAscii(otherText[i])) return false;
  }
  return true;
}

DWORD FindResourceInTree(const ResourceDirectory& tree, const ResourceId& type, const ResourceId& name,
                         WORD language, FoundResource* found) {
  bool readable = true;
  const auto typeDirectory = FindSubdirectory(tree, 0, type, &readable);
  if (!typeDirectory) return readable ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_BAD_EXE_FORMAT;
  const auto nameDirectory = FindSubdirectory(tree, *typeDirectory, name, &readable);
  if (!nameDirectory) return readable ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_BAD_EXE_FORMAT;
  const auto entries = ReadDirectory(tree, *nameDirectory);
  if (!entries) return ERROR_BAD_EXE_FORMAT;

  const bool anyLanguage = PRIMARYLANGID(language) == LANG_NEUTRAL;
  const DirectoryEntry* exact = nullptr;
  const DirectoryEntry* neutral = nullptr;
  const DirectoryEntry* first = nullptr;
  for (const DirectoryEntry& entry : *entries) {
    if ((entry.target & kHighBit) != 0 || (entry.name & kHighBit) != 0) continue;
    const WORD entryLanguage = static_cast<WORD>(entry.name);
    if (!first) first = &entry;
    if (!neutral && entryLanguage == LANG_NEUTRAL) neutral = &entry;
    if (!exact && entryLanguage == language) exact = &entry;
  }
  const DirectoryEntry* chosen = exact ? exact : neutral ? neutral : anyLanguage ? first : nullptr;
  if (!chosen) return ERROR_RESOURCE_LANG_NOT_FOUND;
  if (!ReadDataEntry(tree, chosen->target, static_cast<WORD>(chosen->name), found)) return ERROR_BAD_EXE_FORMAT;
  return ERROR_SUCCESS;
}

}  // namespace zv
