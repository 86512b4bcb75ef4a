// Bounded random access to the bytes of an image, whether it lies in memory
// (the own program's resources) or in a file on disk (another program's).
// Every read is checked against the end, so malformed offsets only fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace zv {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies `size` bytes at `offset` into `out`; false when any of them lies
  // outside the source.
  virtual bool Read(std::uint64_t offset, void* out, std::size_t size) const = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Read(std::uint64_t offset, void* out, std::size_t size) const override {
    if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
    if (size != 0) std::memcpy(out, bytes_.data() + offset, size);
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

// Little-endian fields of a structure read through a ByteSource.
template <typename T>
bool ReadValue(const ByteSource& source, std::uint64_t offset, T* value) {
  return source.Read(offset, value, sizeof(T));
}

}  // namespace zv
