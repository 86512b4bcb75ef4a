// A file on disk read piecewise: a program file can be large, and only its
// headers, directories and the version resource are needed.
#pragma once

#include <string>

#include "byte_source.h"
#include "win/base.h"

namespace zv {

class FileSource final : public ByteSource {
 public:
  ~FileSource() override;
  // Opens a regular file for reading; on failure returns false with the
  // Windows error code in `error`.
  bool Open(const std::string& nativePath, DWORD* error);
  bool Read(std::uint64_t offset, void* out, std::size_t size) const override;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace zv
