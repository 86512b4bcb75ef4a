// Random inputs for the readers of outside data in the launcher: none may
// crash or trip the sanitizers, and their results keep their invariants.
#include "launcher/launcher_settings.h"
#include "launcher/pending_list_format.h"
#include "launcher/to_wide.h"
#include "launcher/utf8.h"
#include "random_inputs.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

constexpr int kRounds = 20000;

TEST(Fuzz, ToWide) {
  RandomInputs inputs({"a|b", "\xE6\x9B\xB4\xF0\x9F\x98\x80", "\xC3\xA9\xED\x9F\xBF\xEE\x80\x80", "\xF4\x8F\xBF\xBF"});
  std::ostringstream discarded;
  std::streambuf* const errors = std::cerr.rdbuf(discarded.rdbuf());
  for (int i = 0; i < kRounds; ++i) {
    const std::string bytes = inputs.Next();
    const std::u16string wide = ToWide(bytes);
    // Whatever decodes encodes back to the very same bytes.
    if (!wide.empty()) {
      EXPECT_EQ(EncodeUtf8(wide), bytes);
    }
  }
  std::cerr.rdbuf(errors);
}

TEST(Fuzz, SettingsReader) {
  RandomInputs inputs({R"({"id":25})", R"({"id":-7.9,"x":[1,{"y":null}]})", "{\"id\"/*c*/:1e9}\n{\"id\":2}",
                       R"([[[{"id":true}]]])"});
  for (int i = 0; i < kRounds; ++i) {
    std::istringstream settings(inputs.Next());
    ReadOemIdFrom(settings);
  }
}

TEST(Fuzz, PendingListRoundTrip) {
  RandomInputs inputs({"_a.dll|sub\\_b.dll", "\xEF\xBB\xBF_\xE6\x95\xB0.dll", "a||b\r\n"});
  for (int i = 0; i < kRounds; ++i) {
    const std::u16string text = DecodePendingList(inputs.Next());
    EXPECT_EQ(text.find(u'\0'), std::u16string::npos);
    // What is read is written back so that it reads the same.
    EXPECT_EQ(DecodePendingList(EncodePendingList(text)), text);
  }
}

}  // namespace
