// BSTR: the text's byte length as 32 bits, then the UTF-16 text and a zero
// unit; the BSTR points at the text. The length makes embedded zeros part of
// the string.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "objbase.h"

namespace {

constexpr std::size_t kPrefixSize = sizeof(std::uint32_t);

std::uint8_t* Allocation(BSTR text) { return reinterpret_cast<std::uint8_t*>(text) - kPrefixSize; }

}  // namespace

// A null text gives a string of `length` zero units (Windows leaves it
// uninitialised; zeros are what a careful caller expects to find).
BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  // The byte length must fit the 32-bit prefix.
  if (length > (std::numeric_limits<std::uint32_t>::max() - kPrefixSize - sizeof(OLECHAR)) / sizeof(OLECHAR))
    return nullptr;
  const std::uint32_t bytes = length * static_cast<std::uint32_t>(sizeof(OLECHAR));
  auto* block = static_cast<std::uint8_t*>(std::malloc(kPrefixSize + bytes + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &bytes, kPrefixSize);
  auto* string = reinterpret_cast<BSTR>(block + kPrefixSize);
  if (text != nullptr) {
    std::memcpy(string, text, bytes);
  } else {
    std::memset(string, 0, bytes);
  }
  string[length] = 0;
  return string;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<OLECHAR>::length(text)));
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(Allocation(text));
}

UINT SysStringByteLen(BSTR text) {
  if (text == nullptr) return 0;
  std::uint32_t bytes;
  std::memcpy(&bytes, Allocation(text), kPrefixSize);
  return bytes;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }
