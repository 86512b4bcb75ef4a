// Task memory is the C heap: blocks handed across an interface are freed by
// the receiver with CoTaskMemFree.

#include <cstdlib>

#include "objbase.h"

LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size); }

LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size) { return std::realloc(block, size); }

void CoTaskMemFree(LPVOID block) { std::free(block); }
