// The resource directory of a PE image: DOS header -> "PE\0\0" -> file header
// -> optional header (PE32 or PE32+) -> data directory 2 -> the section that
// holds that address. Data entries carry addresses (RVAs), which are mapped
// through the section table as well.

#include <cstring>
#include <memory>
#include <vector>

#include "image_resources.h"
#include "win/errors.h"

namespace zv {
namespace {

constexpr std::uint64_t kNewHeaderOffsetField = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;

struct Section {
  std::uint32_t virtualAddress;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

// The file offset of `size` bytes at `rva`, when they lie in one section's
// data in the file.
std::optional<std::uint64_t> MapThroughSections(const std::vector<Section>& sections, std::uint32_t rva,
                                                std::uint32_t size) {
  for (const Section& section : sections) {
    if (rva < section.virtualAddress) continue;
    const std::uint64_t within = rva - section.virtualAddress;
    if (within <= section.rawSize && size <= section.rawSize - within) return section.rawOffset + within;
  }
  return std::nullopt;
}

}  // namespace

DWORD FindPeResourceTree(const ByteSource& source, ResourceDirectory* tree) {
  std::uint32_t newHeader = 0;
  std::uint32_t signature = 0;
  if (!ReadValue(source, kNewHeaderOffsetField, &newHeader) || !ReadValue(source, newHeader, &signature) ||
      signature != 0x00004550)  // "PE\0\0"
    return ERROR_BAD_EXE_FORMAT;

  const std::uint64_t fileHeader = std::uint64_t{newHeader} + 4;
  std::uint16_t sectionCount = 0;
  std::uint16_t optionalHeaderSize = 0;
  std::uint16_t magic = 0;
  const std::uint64_t optionalHeader = fileHeader + kFileHeaderSize;
  if (!ReadValue(source, fileHeader + 2, &sectionCount) || !ReadValue(source, fileHeader + 16, &optionalHeaderSize) ||
      !ReadValue(source, optionalHeader, &magic))
    return ERROR_BAD_EXE_FORMAT;

  std::uint64_t directoryCountField;
  if (magic == kPe32Magic) {
    directoryCountField = 92;
  } else if (magic == kPe32PlusMagic) {
    directoryCountField = 108;
  } else {
    return ERROR_BAD_EXE_FORMAT;
  }
  const std::uint64_t resourceEntry = directoryCountField + 4 + 8 * kResourceDirectoryIndex;
  std::uint32_t directoryCount = 0;
  std::uint32_t resource[2] = {0, 0};  // address, size
  if (!ReadValue(source, optionalHeader + directoryCountField, &directoryCount)) return ERROR_BAD_EXE_FORMAT;
  if (directoryCount <= kResourceDirectoryIndex || resourceEntry + 8 > optionalHeaderSize)
    return ERROR_RESOURCE_DATA_NOT_FOUND;
  if (!ReadValue(source, optionalHeader + resourceEntry, &resource)) return ERROR_BAD_EXE_FORMAT;
  if (resource[0] == 0 || resource[1] == 0) return ERROR_RESOURCE_DATA_NOT_FOUND;

  // The whole section table in one read.
  std::vector<std::uint8_t> table(sectionCount * kSectionHeaderSize);
  if (!source.Read(optionalHeader + optionalHeaderSize, table.data(), table.size())) return ERROR_BAD_EXE_FORMAT;
  auto sections = std::make_shared<std::vector<Section>>();
  for (std::size_t at = 0; at < table.size(); at += kSectionHeaderSize) {
    std::uint32_t fields[4];  // virtual size, virtual address, raw size, raw offset
    std::memcpy(fields, table.data() + at + 8, sizeof(fields));
    sections->push_back(Section{fields[1], fields[2], fields[3]});
  }
  // The root directory's header must at least be there; the rest is checked
  // as the tree is walked.
  const auto root = MapThroughSections(*sections, resource[0], 16);
  if (!root) return ERROR_BAD_EXE_FORMAT;
  tree->source = &source;
  tree->rootOffset = *root;
  tree->mapAddress = [sections](std::uint32_t rva, std::uint32_t size) {
    return MapThroughSections(*sections, rva, size);
  };
  return ERROR_SUCCESS;
}

}  // namespace zv
