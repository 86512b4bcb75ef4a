// The buffer that GetFileVersionInfoW fills: the version resource's
// VS_VERSIONINFO block as the file holds it (UTF-16), then a tail that lets
// VerQueryValueA hand out UTF-8 copies of its strings without allocating:
//
//   [block: wLength bytes][pad to 4]["ZVA8"][wLength as 32 bits][UTF-8 slots]
//
// A string value at byte offset o of the block, n UTF-16 units long, gets the
// UTF-8 slot at 3/2 o of the slot area, which holds its 3n bytes and a zero
// without reaching the next value's slot (values are 32-bit aligned and end in
// a zero unit). So every pointer handed out stays valid with the buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zv {

constexpr std::size_t kVersionNodeHeaderSize = 6;
constexpr std::uint32_t kAnsiTailSignature = 0x38415A56;  // "ZVA8"
constexpr std::size_t kAnsiTailHeaderSize = 8;

constexpr std::size_t AlignTo4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

constexpr std::size_t AnsiTailOffset(std::size_t blockLength) { return AlignTo4(blockLength); }

constexpr std::size_t AnsiSlotOffset(std::size_t blockLength, std::size_t valueOffset) {
  return AnsiTailOffset(blockLength) + kAnsiTailHeaderSize + valueOffset / 2 * 3;
}

constexpr std::size_t VersionBufferSize(std::size_t blockLength) {
  return AnsiTailOffset(blockLength) + kAnsiTailHeaderSize + blockLength / 2 * 3 + 4;
}

}  // namespace zv
