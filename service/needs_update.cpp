#include "service/version_query.h"

#include <array>
#include <limits>

namespace {

using Version = std::array<std::int32_t, 4>;

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// Reads one "%d" at `pos`: optional white space, an optional sign and digits.
// A number beyond the signed 32-bit range is held at the range's end, so it
// still compares as very large (or very small) instead of wrapping around.
bool ScanNumber(const std::u16string& text, std::size_t& pos, std::int32_t& number) {
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) negative = text[pos++] == u'-';
  const std::size_t firstDigit = pos;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
    value = std::min(value * 10 + (text[pos] - u'0'), kLimit);
  }
  if (pos == firstDigit) return false;
  number = static_cast<std::int32_t>(negative ? -value : std::min(value, kLimit - 1));
  return true;
}

// Four numbers as "%d.%d.%d.%d" reads them. Numbers the text does not hold
// count as 0, so 1.0.5 reads as 1.0.5.0. A comma also separates numbers: the
// resource compiler writes a FileVersion as "1, 0, 0, 2", and reading that as
// 1.0.0.0 would update such a client again at every start.
Version ReadVersion(const std::u16string& text) {
  Version version{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < version.size(); ++i) {
    if (i > 0) {
      if (pos >= text.size() || (text[pos] != u'.' && text[pos] != u',')) break;
      ++pos;
    }
    if (!ScanNumber(text, pos, version[i])) break;
  }
  return version;
}

}  // namespace

bool NeedsUpdate(const std::u16string& installed, const std::u16string& latest) {
  if (installed.empty() || latest.empty()) return true;
  return ReadVersion(installed) < ReadVersion(latest);
}
