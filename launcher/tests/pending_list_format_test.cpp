#include "launcher/pending_list_format.h"

#include <gtest/gtest.h>

namespace {

TEST(PendingListFormat, OneBytePerCharacterUpToFF) {
  const std::u16string text = u"_a.dll|sub\\_caf\u00E9.dll";
  EXPECT_EQ(EncodePendingList(text), "_a.dll|sub\\_caf\xE9.dll");
  EXPECT_EQ(DecodePendingList("_a.dll|sub\\_caf\xE9.dll"), text);
}

TEST(PendingListFormat, NamesBeyondFFAreWrittenAsMarkedUtf8) {
  const std::u16string text = u"_\u6570\u636E.dll|_a.dll|_\U0001F600";
  const std::string bytes = EncodePendingList(text);
  EXPECT_EQ(bytes, "\xEF\xBB\xBF_\xE6\x95\xB0\xE6\x8D\xAE.dll|_a.dll|_\xF0\x9F\x98\x80");
  EXPECT_EQ(DecodePendingList(bytes), text);
  // One-byte names that would look like the mark are marked too.
  const std::u16string lookalike = u"\u00EF\u00BB\u00BF\u00C3\u00A9";
  EXPECT_EQ(DecodePendingList(EncodePendingList(lookalike)), lookalike);
}

TEST(PendingListFormat, ReadingDropsZeroesAndKeepsUnmarkedOrInvalidBytes) {
  EXPECT_EQ(DecodePendingList(std::string("a\0.dll|b\r\n", 10)), u"a.dll|b\r\n");
  // Looks marked but is no UTF-8: read one byte per character like any file.
  EXPECT_EQ(DecodePendingList("\xEF\xBB\xBF\xFF"), u"\u00EF\u00BB\u00BF\u00FF");
  // UTF-8 without the mark is taken byte by byte, as the plain format says.
  EXPECT_EQ(DecodePendingList("\xC3\xA9"), u"\u00C3\u00A9");
}

}  // namespace
