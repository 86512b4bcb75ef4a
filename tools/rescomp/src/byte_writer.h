// Little-endian output with the alignment and back-patching that the
// resource tree and version block layouts need.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace rescomp {

class ByteWriter {
 public:
  std::size_t Size() const { return bytes_.size(); }
  void Put16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void Put32(std::uint32_t value) {
    Put16(static_cast<std::uint16_t>(value));
    Put16(static_cast<std::uint16_t>(value >> 16));
  }
  void PutBytes(const std::uint8_t* data, std::size_t size) { bytes_.insert(bytes_.end(), data, data + size); }
  void PutText(std::u16string_view text) {
    for (char16_t c : text) Put16(c);
  }
  void AlignTo(std::size_t alignment) {
    while (bytes_.size() % alignment != 0) bytes_.push_back(0);
  }
  void Patch16(std::size_t at, std::uint16_t value) {
    bytes_[at] = static_cast<std::uint8_t>(value);
    bytes_[at + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  void Patch32(std::size_t at, std::uint32_t value) {
    Patch16(at, static_cast<std::uint16_t>(value));
    Patch16(at + 2, static_cast<std::uint16_t>(value >> 16));
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace rescomp
