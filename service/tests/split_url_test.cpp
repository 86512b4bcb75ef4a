#include "service/url_parts.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  std::string url;
  std::string scheme;
  std::string host;
  std::int32_t port;
  std::string path;
  std::string query;
};

class SplitUrlTable : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitUrlTable, GivesEachPiece) {
  const SplitCase& c = GetParam();
  const UrlParts parts = SplitUrl(c.url);
  EXPECT_EQ(parts.scheme, c.scheme);
  EXPECT_EQ(parts.host, c.host);
  EXPECT_EQ(parts.port, c.port);
  EXPECT_EQ(parts.path, c.path);
  EXPECT_EQ(parts.query, c.query);
  EXPECT_EQ(IsHttps(parts), c.scheme == "https");
}

INSTANTIATE_TEST_SUITE_P(
    Urls, SplitUrlTable,
    testing::Values(
        SplitCase{"https://h:1011/v1/oem/clientVersion?oemId=3", "https", "h", 1011, "/v1/oem/clientVersion", "oemId=3"},
        SplitCase{"https://h/a", "https", "h", 443, "/a", ""},
        SplitCase{"http://h/a", "http", "h", 80, "/a", ""},
        SplitCase{"h/a", "", "h", 80, "/a", ""},
        SplitCase{"https://h", "https", "h", 443, "", ""},
        SplitCase{"https://h/a?x=1#frag", "https", "h", 443, "/a", "x=1"},
        SplitCase{"https://h:x/a", "https", "h", 0, "/a", ""},
        // Upper-case schemes are no prefix: the host part runs to the first "/"
        // after the first byte.
        SplitCase{"HTTPS://h/a", "", "HTTPS", 80, "//h/a", ""},
        SplitCase{"https://h: +12x/a", "https", "h", 12, "/a", ""},
        SplitCase{"https://h:-5/a", "https", "h", -5, "/a", ""},
        // Ports beyond 32 bits are held at the range's end instead of wrapping
        // into some other, valid port.
        SplitCase{"https://h:4294968307/a", "https", "h", 2147483647, "/a", ""},
        SplitCase{"https://h:-99999999999/a", "https", "h", -2147483647 - 1, "/a", ""},
        SplitCase{"https:///a", "https", "/a", 443, "", ""},
        SplitCase{"https://h/a#x?y=1", "https", "h", 443, "/a", ""},
        SplitCase{"", "", "", 80, "", ""}));

}  // namespace
