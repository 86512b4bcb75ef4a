// VerQueryValueW and VerQueryValueA over a block from GetFileVersionInfoW.
// A sub-block is a path of node keys separated by backslashes, compared
// without ASCII case (so "080404B0" finds "080404b0"); "\" is the root, whose
// value is the VS_FIXEDFILEINFO. Every node is checked to lie inside its
// parent, every key and string to end inside its node, so a malformed block
// gives a failed query, never a read outside it.

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "version_buffer.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/version.h"
#include "zv/text.h"

namespace {

constexpr WORD kTextValue = 1;

struct Node {
  std::size_t start = 0;
  std::size_t end = 0;
  std::u16string key;
  WORD valueLength = 0;
  WORD type = 0;
  std::size_t valueOffset = 0;
  std::size_t valueBytes = 0;
  std::size_t childrenOffset = 0;
};

WORD Word(const std::uint8_t* block, std::size_t at) {
  WORD value;
  std::memcpy(&value, block + at, sizeof(value));
  return value;
}

// The node at `start`, which must lie within [start, limit).
std::optional<Node> ReadNode(const std::uint8_t* block, std::size_t start, std::size_t limit) {
  if (start > limit || limit - start < zv::kVersionNodeHeaderSize) return std::nullopt;
  Node node;
  node.start = start;
  const WORD length = Word(block, start);
  if (length < zv::kVersionNodeHeaderSize || length > limit - start) return std::nullopt;
  node.end = start + length;
  node.valueLength = Word(block, start + 2);
  node.type = Word(block, start + 4);
  std::size_t at = start + zv::kVersionNodeHeaderSize;
  for (;; at += 2) {
    if (at + 2 > node.end) return std::nullopt;
    const char16_t c = Word(block, at);
    if (c == 0) break;
    node.key.push_back(c);
  }
  node.valueOffset = zv::AlignTo4(at + 2);
  node.valueBytes = node.type == kTextValue ? std::size_t{node.valueLength} * 2 : node.valueLength;
  if (node.valueBytes > 0 && (node.valueOffset > node.end || node.valueBytes > node.end - node.valueOffset))
    return std::nullopt;
  node.childrenOffset = zv::AlignTo4(node.valueOffset + node.valueBytes);
  return node;
}

bool KeyMatches(std::u16string_view key, std::u16string_view wanted) {
  if (key.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    auto fold = [](char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; };
    if (fold(key[i]) != fold(wanted[i])) return false;
  }
  return true;
}

std::optional<Node> FindChild(const std::uint8_t* block, const Node& parent, std::u16string_view key) {
  // Each child is at least a header long, so the walk always moves on.
  for (std::size_t at = parent.childrenOffset; at < parent.end;) {
    const auto child = ReadNode(block, at, parent.end);
    if (!child) return std::nullopt;
    if (KeyMatches(child->key, key)) return child;
    at = zv::AlignTo4(child->end);
  }
  return std::nullopt;
}

// The offset of a text value's terminating zero, if it has one.
std::optional<std::size_t> TextEnd(const std::uint8_t* block, const Node& node) {
  for (std::size_t at = node.valueOffset; at < node.valueOffset + node.valueBytes; at += 2) {
    if (Word(block, at) == 0) return at;
  }
  return std::nullopt;
}

std::vector<std::u16string_view> SplitPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  while (!path.empty()) {
    const auto separator = path.find(u'\\');
    const auto part = path.substr(0, separator);
    if (!part.empty()) parts.push_back(part);
    if (separator == std::u16string_view::npos) break;
    path.remove_prefix(separator + 1);
  }
  return parts;
}

// The node that `subBlock` names. A text value must end in a zero unit within
// its node, so that callers reading up to the terminator stay inside.
std::optional<Node> FindNode(LPCVOID block, std::u16string_view subBlock) {
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  auto node = ReadNode(bytes, 0, Word(bytes, 0));
  if (!node || node->key != u"VS_VERSION_INFO") return std::nullopt;
  for (std::u16string_view part : SplitPath(subBlock)) {
    node = FindChild(bytes, *node, part);
    if (!node) return std::nullopt;
  }
  if (node->type == kTextValue && node->valueBytes > 0 && !TextEnd(bytes, *node)) return std::nullopt;
  return node;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL Answer(LPCVOID block, std::size_t pointerOffset, UINT length, LPVOID* buffer, UINT* size) {
  *buffer = const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(block) + pointerOffset);
  if (size != nullptr) *size = length;
  return TRUE;
}

// Writes the UTF-8 form of a text node into its slot of the buffer's tail.
std::optional<std::size_t> AnsiCopy(LPCVOID block, const Node& node, UINT* length) {
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  const WORD blockLength = Word(bytes, 0);
  std::uint32_t tail[2];
  std::memcpy(tail, bytes + zv::AnsiTailOffset(blockLength), sizeof(tail));
  if (tail[0] != zv::kAnsiTailSignature || tail[1] != blockLength) return std::nullopt;
  std::u16string text;
  for (std::size_t at = node.valueOffset; at < *TextEnd(bytes, node); at += 2) text.push_back(Word(bytes, at));
  const std::string utf8 = zv::ToUtf8(text);
  const std::size_t slot = zv::AnsiSlotOffset(blockLength, node.valueOffset);
  std::memcpy(const_cast<std::uint8_t*>(bytes) + slot, utf8.c_str(), utf8.size() + 1);
  *length = static_cast<UINT>(utf8.size() + 1);
  return slot;
}

}  // namespace

// The length is that of the value: bytes for binary values (52 for the
// root's VS_FIXEDFILEINFO, 4 per translation), characters for strings (with
// their terminator). A node without a value, a block such as
// "\StringFileInfo", is found with length 0; failures give
// ERROR_RESOURCE_TYPE_NOT_FOUND.
BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length) {
  if (block == nullptr || subBlock == nullptr || buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const auto node = FindNode(block, subBlock);
  if (!node || (node->start == 0 && node->valueBytes == 0)) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return Answer(block, node->valueOffset, node->valueLength, buffer, length);
}

// The ANSI form (UTF-8 here) on a block of the wide call: binary values, such
// as the translation table, come as they are; strings come as UTF-8 copies
// kept in the buffer's tail.
BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length) {
  if (block == nullptr || subBlock == nullptr || buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const auto wide = zv::FromUtf8Strict(subBlock);
  if (!wide) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  const auto node = FindNode(block, *wide);
  if (!node || (node->start == 0 && node->valueBytes == 0)) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
  if (node->type != kTextValue || node->valueBytes == 0)
    return Answer(block, node->valueOffset, node->valueLength, buffer, length);
  UINT ansiLength = 0;
  const auto slot = AnsiCopy(block, *node, &ansiLength);
  if (!slot) return Fail(ERROR_INVALID_DATA);
  return Answer(block, *slot, ansiLength, buffer, length);
}
