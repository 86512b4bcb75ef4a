// lstr* string calls and MulDiv.
#include <cstdint>
#include <cstring>

#include "win/kernel.h"
#include "zv/text.h"

namespace {

char16_t Lower(char16_t c) {
  // Simple case folding for the Latin, Greek and Cyrillic letters that have
  // plain one-to-one upper and lower forms.
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  return c;
}

// Windows compares these by the user's language rules; here the comparison
// is by code unit, which is stable and the same for every user.
template <typename Fold>
int Compare(LPCWSTR a, LPCWSTR b, Fold fold) {
  if (a == nullptr) a = u"";
  if (b == nullptr) b = u"";
  for (;; ++a, ++b) {
    const char16_t x = fold(*a);
    const char16_t y = fold(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == u'\0') return 0;
  }
}

}  // namespace

LPSTR lstrcatA(LPSTR string1, LPCSTR string2) {
  if (string1 == nullptr || string2 == nullptr) return nullptr;
  return std::strcat(string1, string2);
}

int lstrlenW(LPCWSTR string) { return string == nullptr ? 0 : static_cast<int>(zv::WideLength(string)); }

LPWSTR lstrcpyW(LPWSTR string1, LPCWSTR string2) {
  if (string1 == nullptr || string2 == nullptr) return nullptr;
  LPWSTR out = string1;
  while ((*out++ = *string2++) != u'\0') {
  }
  return string1;
}

int lstrcmpW(LPCWSTR string1, LPCWSTR string2) {
  return Compare(string1, string2, [](char16_t c) { return c; });
}

int lstrcmpiW(LPCWSTR string1, LPCWSTR string2) { return Compare(string1, string2, Lower); }

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  // Rounded half away from zero.
  const std::int64_t half = (denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const std::int64_t magnitude = (product < 0 ? -product : product);
  const std::int64_t divisor = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
  const std::int64_t quotient = (magnitude + half) / divisor;
  if (quotient > INT32_MAX + static_cast<std::int64_t>(negative)) return -1;
  return static_cast<int>(negative ? -quotient : quotient);
}
