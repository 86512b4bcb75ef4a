#include "version_block.h"

#include <cstdio>
#include <stdexcept>

#include "byte_writer.h"

namespace rescomp {
namespace {

constexpr std::uint16_t kVersionType = 16;
constexpr std::uint16_t kVersionName = 1;
constexpr std::uint16_t kBinary = 0;
constexpr std::uint16_t kText = 1;

struct Node {
  std::u16string key;
  std::uint16_t type = kText;
  std::vector<std::uint8_t> value;
  std::uint16_t valueLength = 0;  // bytes for binary values, characters for text
  std::vector<Node> children;
};

void Append(ByteWriter& out, const Node& node) {
  const std::size_t start = out.Size();
  out.Put16(0);
  out.Put16(node.valueLength);
  out.Put16(node.type);
  out.PutText(node.key);
  out.Put16(0);
  out.AlignTo(4);
  out.PutBytes(node.value.data(), node.value.size());
  for (const Node& child : node.children) {
    out.AlignTo(4);
    Append(out, child);
  }
  const std::size_t length = out.Size() - start;
  if (length > 0xFFFF) throw std::runtime_error("version information is larger than 64 KiB");
  out.Patch16(start, static_cast<std::uint16_t>(length));
}

Node TextNode(const std::u16string& key, const std::u16string& text) {
  ByteWriter value;
  value.PutText(text);
  value.Put16(0);
  const std::size_t characters = text.size() + 1;
  if (characters > 0xFFFF) throw std::runtime_error("version string too long");
  return Node{key, kText, value.Take(), static_cast<std::uint16_t>(characters), {}};
}

std::vector<std::uint8_t> FixedFileInfo(const VersionInfo& info) {
  const std::uint32_t high = (static_cast<std::uint32_t>(info.version[0]) << 16) | info.version[1];
  const std::uint32_t low = (static_cast<std::uint32_t>(info.version[2]) << 16) | info.version[3];
  ByteWriter fixed;
  for (std::uint32_t field : {0xFEEF04BDu, 0x00010000u, high, low, high, low,
                              0x3Fu,   // flags mask
                              0u,      // flags
                              0u,      // operating system: not a Windows one
                              1u,      // file type: application
                              0u, 0u, 0u}) {
    fixed.Put32(field);
  }
  return fixed.Take();
}

std::u16string TableKey(const VersionTranslation& translation) {
  char key[9];
  std::snprintf(key, sizeof(key), "%04x%04x", translation.language, translation.codePage);
  return std::u16string(key, key + 8);
}

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const VersionInfo& info) {
  Node strings{u"StringFileInfo", kText, {}, 0, {}};
  ByteWriter translationTable;
  for (const VersionTranslation& translation : info.translations) {
    Node table{TableKey(translation), kText, {}, 0, {}};
    for (const auto& [key, text] : translation.strings) table.children.push_back(TextNode(key, text));
    strings.children.push_back(std::move(table));
    translationTable.Put16(translation.language);
    translationTable.Put16(translation.codePage);
  }
  const std::uint16_t tableBytes = static_cast<std::uint16_t>(translationTable.Size());
  Node translations{u"Translation", kBinary, translationTable.Take(), tableBytes, {}};
  Node variables{u"VarFileInfo", kText, {}, 0, {std::move(translations)}};

  const std::vector<std::uint8_t> fixed = FixedFileInfo(info);
  Node root{u"VS_VERSION_INFO", kBinary, fixed, static_cast<std::uint16_t>(fixed.size()), {}};
  if (!info.translations.empty()) root.children.push_back(std::move(strings));
  root.children.push_back(std::move(variables));

  ByteWriter out;
  Append(out, root);
  return out.Take();
}

Resource VersionResource(const VersionInfo& info) {
  const std::uint16_t language = info.translations.empty() ? 0 : info.translations.front().language;
  return Resource{NumberedName(kVersionType), NumberedName(kVersionName), language, BuildVersionBlock(info)};
}

}  // namespace rescomp
