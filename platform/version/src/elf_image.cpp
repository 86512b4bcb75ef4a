// The resources of our own programs: the section "zv_resources" of a 64-bit
// little-endian ELF file, found by name through the section header table.
// Its tree's data addresses are offsets from the section's start.

#include <cstring>
#include <vector>

#include "image_resources.h"
#include "win/errors.h"

namespace zv {
namespace {

constexpr unsigned char kClass64 = 2;
constexpr unsigned char kLittleEndian = 1;
constexpr std::uint32_t kNoBits = 8;
constexpr std::uint16_t kEntrySize = 64;  // of a 64-bit section header, as the format fixes it
constexpr char kSectionName[] = "zv_resources";

struct SectionHeader {
  std::uint32_t name;
  std::uint32_t type;
  std::uint64_t offset;
  std::uint64_t size;
};

SectionHeader ParseSectionHeader(const std::uint8_t* entry) {
  SectionHeader header;
  std::memcpy(&header.name, entry, 4);
  std::memcpy(&header.type, entry + 4, 4);
  std::memcpy(&header.offset, entry + 24, 8);
  std::memcpy(&header.size, entry + 32, 8);
  return header;
}

bool HasName(const ByteSource& source, const SectionHeader& names, std::uint32_t nameOffset) {
  char name[sizeof(kSectionName)];
  if (nameOffset > names.size || sizeof(name) > names.size - nameOffset) return false;
  return source.Read(names.offset + nameOffset, name, sizeof(name)) && std::memcmp(name, kSectionName, sizeof(name)) == 0;
}

}  // namespace

DWORD FindElfResourceTree(const ByteSource& source, ResourceDirectory* tree) {
  unsigned char ident[6];
  std::uint64_t table = 0;
  std::uint16_t fields[3];  // entry size, entry count, index of the names section
  if (!source.Read(0, ident, sizeof(ident)) || ident[4] != kClass64 || ident[5] != kLittleEndian ||
      !ReadValue(source, 0x28, &table) || !source.Read(0x3A, fields, sizeof(fields)) || fields[0] != kEntrySize)
    return ERROR_BAD_EXE_FORMAT;
  if (fields[1] == 0) return ERROR_RESOURCE_DATA_NOT_FOUND;
  if (fields[2] >= fields[1]) return ERROR_BAD_EXE_FORMAT;
  // The whole table in one read: a program has a few dozen sections.
  std::vector<std::uint8_t> entries(std::size_t{fields[0]} * fields[1]);
  if (!source.Read(table, entries.data(), entries.size())) return ERROR_BAD_EXE_FORMAT;
  const SectionHeader names = ParseSectionHeader(entries.data() + std::size_t{fields[2]} * fields[0]);
  for (std::uint16_t i = 0; i < fields[1]; ++i) {
    const SectionHeader section = ParseSectionHeader(entries.data() + std::size_t{i} * fields[0]);
    if (section.type == kNoBits || !HasName(source, names, section.name)) continue;
    tree->source = &source;
    tree->rootOffset = section.offset;
    tree->mapAddress = [section](std::uint32_t address, std::uint32_t size) -> std::optional<std::uint64_t> {
      if (address > section.size || size > section.size - address) return std::nullopt;
      return section.offset + address;
    };
    return ERROR_SUCCESS;
  }
  return ERROR_RESOURCE_DATA_NOT_FOUND;
}

}  // namespace zv
