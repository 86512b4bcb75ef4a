// The resource directory tree in its Windows layout (type, then name, then
// language, then a data entry). Real PE files carry it in their resource
// section; our own programs carry the same tree in an ELF section, written at
// build time, so one reader serves both.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "byte_source.h"
#include "win/base.h"

namespace zv {

// A resource type or name: a 16-bit number, or a string that compares
// without regard to ASCII case (Windows stores names upper-cased and
// upper-cases the name it is asked for).
struct ResourceId {
  bool isString = false;
  WORD number = 0;
  std::u16string text;

  // From a MAKEINTRESOURCEW value or a zero-terminated string.
  static ResourceId From(LPCWSTR value);
  bool Matches(std::u16string_view otherText) const;
};

// Where the tree's root directory lies in `source`, and how the data entries'
// addresses (RVAs) map to offsets in `source`; nullopt when the `size` bytes
// at that address do not lie in the source.
struct ResourceDirectory {
  const ByteSource* source = nullptr;
  std::uint64_t rootOffset = 0;
  std::function<std::optional<std::uint64_t>(std::uint32_t rva, std::uint32_t size)> mapAddress;
};

struct FoundResource {
  std::uint64_t entryOffset = 0;  // of the data entry, in the source
  std::uint64_t dataOffset = 0;   // of the resource's bytes, in the source
  std::uint32_t size = 0;
  WORD language = 0;
};

// Finds a resource. A language whose primary part is LANG_NEUTRAL asks for any
// language, preferring a neutral resource; any other language asks for that
// language exactly, and a neutral resource stands in for it when there is none.
// Returns ERROR_SUCCESS, ERROR_RESOURCE_TYPE_NOT_FOUND, _NAME_NOT_FOUND,
// _LANG_NOT_FOUND, or ERROR_BAD_EXE_FORMAT for a tree that cannot be read.
DWORD FindResourceInTree(const ResourceDirectory& tree, const ResourceId& type,
                         const ResourceId& name, WORD language, FoundResource* found);

}  // namespace zv
