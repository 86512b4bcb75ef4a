#include <gtest/gtest.h>

#include "zv/text.h"

namespace {

TEST(Text, Utf8RoundTripsAcrossPlanes) {
  const std::u16string wide = u"a\u00e9\u66f4\U0001F600";
  EXPECT_EQ(zv::ToUtf8(wide), "a\xc3\xa9\xe6\x9b\xb4\xf0\x9f\x98\x80");
  EXPECT_EQ(zv::FromUtf8Strict(zv::ToUtf8(wide)), wide);
}

TEST(Text, StrictDecodingRefusesMalformedInput) {
  struct Case { const char* name; std::string bytes; };
  const Case cases[] = {
      {"lone continuation", "\x80"},
      {"cut-off sequence", "\xe6\x9b"},
      {"overlong slash", "\xc0\xaf"},
      {"overlong three-byte", "\xe0\x80\xaf"},
      {"encoded surrogate", "\xed\xa0\x80"},
      {"above U+10FFFF", "\xf4\x90\x80\x80"},
      {"lead without continuation", "\xc3" "a"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(zv::FromUtf8Strict(c.bytes).has_value()) << c.name;
    EXPECT_NE(zv::FromUtf8(c.bytes).find(u'\uFFFD'), std::u16string::npos) << c.name;
  }
}

TEST(Text, UnpairedSurrogateBecomesReplacementCharacter) {
  EXPECT_EQ(zv::ToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
}

TEST(Text, NativePathTurnsBackslashesIntoSlashes) {
  EXPECT_EQ(zv::NativePath(u"bin\\core.dll"), "bin/core.dll");
  EXPECT_EQ(zv::NativePath(u"/opt/z\\sub/_a.dll"), "/opt/z/sub/_a.dll");
  EXPECT_EQ(zv::NativePath(static_cast<const char16_t*>(nullptr)), "");
}

}  // namespace
