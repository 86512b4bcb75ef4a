#include "icon_group.h"

#include <stdexcept>

#include "byte_writer.h"

namespace rescomp {
namespace {

constexpr std::uint16_t kIconType = 3;
constexpr std::uint16_t kGroupIconType = 14;
constexpr std::size_t kFileHeaderSize = 6;
constexpr std::size_t kFileEntrySize = 16;

std::uint16_t Get16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return Get16(bytes, at) | (static_cast<std::uint32_t>(Get16(bytes, at + 2)) << 16);
}

}  // namespace

void AddIconGroup(const ResourceName& name, std::uint16_t language, const std::vector<std::uint8_t>& ico,
                  std::uint16_t* nextIconId, std::vector<Resource>* out) {
  if (ico.size() < kFileHeaderSize || Get16(ico, 0) != 0 || Get16(ico, 2) != 1)
    throw std::runtime_error("not an icon file");
  const std::uint16_t count = Get16(ico, 4);
  if (count == 0 || ico.size() < kFileHeaderSize + count * kFileEntrySize)
    throw std::runtime_error("icon file has no images or a cut-off directory");

  ByteWriter group;
  group.Put16(0);
  group.Put16(1);
  group.Put16(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = kFileHeaderSize + i * kFileEntrySize;
    const std::uint32_t size = Get32(ico, entry + 8);
    const std::uint32_t offset = Get32(ico, entry + 12);
    if (offset > ico.size() || size > ico.size() - offset) throw std::runtime_error("icon image lies outside the file");
    if (*nextIconId == 0) throw std::runtime_error("too many icons");
    const std::uint16_t id = (*nextIconId)++;
    out->push_back(Resource{NumberedName(kIconType), NumberedName(id), language,
                            std::vector<std::uint8_t>(ico.begin() + offset, ico.begin() + offset + size)});
    // The group entry is the file's entry with the image's id in place of its offset.
    group.PutBytes(ico.data() + entry, 12);
    group.Put16(id);
  }
  out->push_back(Resource{NumberedName(kGroupIconType), name, language, group.Take()});
}

}  // namespace rescomp
