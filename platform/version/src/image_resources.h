// The resource tree of a program file: the resource directory of a Windows PE
// image (32- or 64-bit), or the "zv_resources" section of one of our own ELF
// programs, which holds a tree of the same layout.
#pragma once

#include "resource_tree.h"

namespace zv {

// Returns ERROR_SUCCESS and the tree; ERROR_RESOURCE_DATA_NOT_FOUND for an
// image without resources; ERROR_BAD_EXE_FORMAT for anything that is not a
// readable PE or 64-bit little-endian ELF image.
DWORD FindImageResourceTree(const ByteSource& source, ResourceDirectory* tree);

DWORD FindPeResourceTree(const ByteSource& source, ResourceDirectory* tree);
DWORD FindElfResourceTree(const ByteSource& source, ResourceDirectory* tree);

}  // namespace zv
