// Splitting a URL into the pieces the HTTP client connects with.
#pragma once

#include <cstdint>
#include <string>

struct UrlParts {
  std::string scheme;
  std::string host;
  std::int32_t port = 0;
  std::string path;
  std::string query;  // without the "?"
};

// Splits at the "https://" or "http://" prefix (byte for byte, case-sensitive),
// the first "/" after the host, the first ":" of the host part and the first
// "?" of the rest; a "#" and all after it are dropped. Without a port the
// port is 443 for https and 80 otherwise.
UrlParts SplitUrl(const std::string& url);

// True when the scheme is exactly "https".
bool IsHttps(const UrlParts& parts);
