// A program without resources: reports what looking for one gives.
#include <cstdio>

#include "win/kernel.h"
#include "win/resource.h"

int main() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(101), u"ZIPRES");
  std::printf("%s %u\n", found == nullptr ? "not found" : "found", GetLastError());
  return 0;
}
