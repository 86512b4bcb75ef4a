#include "launcher/to_wide.h"

#include <gtest/gtest.h>

namespace {

struct WideCase {
  const char* name;
  std::string bytes;
  std::u16string wide;
};

void PrintTo(const WideCase& c, std::ostream* out) { *out << c.name; }

class ToWideTable : public testing::TestWithParam<WideCase> {};

TEST_P(ToWideTable, DecodesOrSaysBadConversion) {
  const WideCase& c = GetParam();
  testing::internal::CaptureStderr();
  EXPECT_EQ(ToWide(c.bytes), c.wide);
  const bool malformed = c.wide.empty() && !c.bytes.empty();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), malformed ? "bad conversion\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, ToWideTable,
    testing::Values(WideCase{"empty", "", u""},
                    WideCase{"ascii", "a|b", u"a|b"},
                    WideCase{"three_bytes", "\xE6\x9B\xB4", u"\u66F4"},
                    WideCase{"two_bytes_and_zero", std::string("\xC3\xA9\0x", 4), std::u16string(u"\u00E9\0x", 3)},
                    WideCase{"above_ffff_as_surrogate_pair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
                    WideCase{"highest", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
                    WideCase{"lone_continuation", "\x80", u""},
                    WideCase{"lead_without_continuation", "\xE6\x9B" "a", u""},
                    WideCase{"cut_off_at_end", "ok\xE6\x9B", u""},
                    WideCase{"overlong_slash", "\xC0\xAF", u""},
                    WideCase{"overlong_three_bytes", "\xE0\x80\xAF", u""},
                    WideCase{"overlong_four_bytes", "\xF0\x80\x80\xAF", u""},
                    WideCase{"encoded_surrogate", "\xED\xA0\x80", u""},
                    WideCase{"above_10ffff", "\xF4\x90\x80\x80", u""},
                    WideCase{"invalid_lead", "\xFF", u""}));

}  // namespace
