#include "service/url_parts.h"

#include <limits>

namespace {

std::size_t PrefixLength(const std::string& url) {
  if (url.rfind("https://", 0) == 0) return 8;
  if (url.rfind("http://", 0) == 0) return 7;
  return 0;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The decimal number at the start of `text`, after optional white space and
// an optional sign, up to the first other character; 0 without digits. A
// number beyond the signed 32-bit range is held at the range's end instead of
// wrapping, so it can never turn into a different, valid port.
std::int32_t LeadingNumber(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = std::min(value * 10 + (text[pos] - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min(value, kLimit - 1));
}

}  // namespace

UrlParts SplitUrl(const std::string& url) {
  UrlParts parts;
  const std::size_t prefix = PrefixLength(url);
  const std::size_t slash = url.find('/', prefix + 1);
  std::string rest = slash == std::string::npos ? std::string() : url.substr(slash);
  const std::string hostAndPort =
      url.substr(std::min(prefix, url.size()), slash == std::string::npos ? std::string::npos : slash - prefix);
  rest = rest.substr(0, rest.find('#'));

  const std::size_t colon = hostAndPort.find(':');
  const std::string portText = colon == std::string::npos ? std::string() : hostAndPort.substr(colon + 1);
  parts.host = hostAndPort.substr(0, colon);
  parts.scheme = prefix == 0 ? std::string() : url.substr(0, prefix - 3);

  const std::size_t question = rest.find('?');
  parts.query = question == std::string::npos ? std::string() : rest.substr(question + 1);
  parts.path = rest.substr(0, question);

  if (!portText.empty()) {
    parts.port = LeadingNumber(portText);
  } else {
    parts.port = IsHttps(parts) ? 443 : 80;
  }
  return parts;
}

bool IsHttps(const UrlParts& parts) { return parts.scheme == "https"; }
