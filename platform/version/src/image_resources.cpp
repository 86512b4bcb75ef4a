#include "image_resources.h"

#include "win/errors.h"

namespace zv {

DWORD FindImageResourceTree(const ByteSource& source, ResourceDirectory* tree) {
  unsigned char magic[4];
  if (!source.Read(0, magic, sizeof(magic))) return ERROR_BAD_EXE_FORMAT;
  if (magic[0] == 'M' && magic[1] == 'Z') return FindPeResourceTree(source, tree);
  if (magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F') return FindElfResourceTree(source, tree);
  return ERROR_BAD_EXE_FORMAT;
}

}  // namespace zv
