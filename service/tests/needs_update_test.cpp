#include "service/version_query.h"

#include <gtest/gtest.h>

namespace {

struct UpdateCase {
  std::u16string installed;
  std::u16string latest;
  bool needsUpdate;
};

class NeedsUpdateTable : public testing::TestWithParam<UpdateCase> {};

TEST_P(NeedsUpdateTable, ComparesNumberByNumber) {
  const UpdateCase& c = GetParam();
  EXPECT_EQ(NeedsUpdate(c.installed, c.latest), c.needsUpdate);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, NeedsUpdateTable,
    testing::Values(
        UpdateCase{u"1.0.0.4", u"1.0.0.5", true},
        UpdateCase{u"1.0.0.5", u"1.0.0.5", false},
        UpdateCase{u"2.0.0.0", u"1.0.0.5", false},
        UpdateCase{u"1.0.10.0", u"1.0.9.9", false},
        UpdateCase{u"1.0.9.9", u"1.0.10.0", true},
        UpdateCase{u"1.2.3.4 build 77", u"1.2.3.4", false},
        UpdateCase{u"", u"1.0.0.0", true},
        UpdateCase{u"1.0.0.0", u"", true},
        UpdateCase{u" +1. -2.3.4", u"1.0.0.0", true},
        // Missing numbers count as 0.
        UpdateCase{u"1.0.5", u"1.0.5.0", false},
        UpdateCase{u"1.0.5", u"1.0.5.1", true},
        UpdateCase{u"abc", u"0.0.0.0", false},
        // The resource compiler's style "1, 0, 0, 2" reads as 1.0.0.2.
        UpdateCase{u"1, 0, 0, 2", u"1.0.0.2", false},
        UpdateCase{u"1, 0, 0, 2", u"1.0.0.3", true},
        UpdateCase{u"1 .0.0.9", u"1.0.0.1", true},
        // Numbers beyond 32 bits are held at the range's end: very large.
        UpdateCase{u"1.0.0.99999999999", u"1.0.0.2147483647", false},
        UpdateCase{u"1.0.0.2147483646", u"1.0.0.99999999999", true},
        UpdateCase{u"1.0.0.-99999999999", u"1.0.0.-2147483648", false}));

}  // namespace
