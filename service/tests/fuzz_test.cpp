// Random inputs for the readers of what a server sends: none may crash or
// trip the sanitizers, and their results keep their invariants.
#include "service/url_parts.h"
#include "service/version_query.h"

#include "launcher/tests/random_inputs.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

constexpr int kRounds = 20000;

TEST(Fuzz, SplitUrl) {
  RandomInputs inputs({"https://h:1011/v1/oem/clientVersion?oemId=3", "http://h/a?x=1#f", "h:99999999999/a",
                       "https://", "HTTPS://h:-1"});
  for (int i = 0; i < kRounds; ++i) {
    const std::string url = inputs.Next();
    const UrlParts parts = SplitUrl(url);
    // Every piece comes from the URL itself.
    EXPECT_LE(parts.scheme.size() + parts.host.size() + parts.path.size() + parts.query.size(), url.size());
    EXPECT_EQ(url.find(parts.host) == std::string::npos, false) << url;
  }
}

TEST(Fuzz, NeedsUpdate) {
  RandomInputs inputs({"1.0.0.5", "1, 0, 0, 2", "1.0.10.0", "-2147483648.99999999999.0.1", "1.2.3.4 more"});
  for (int i = 0; i < kRounds; ++i) {
    const std::string a = inputs.Next();
    const std::string b = inputs.Next();
    const std::u16string installed(a.begin(), a.end());
    const std::u16string latest(b.begin(), b.end());
    // Never both ways: an update never leads back to the older version.
    if (!installed.empty() && !latest.empty()) {
      EXPECT_FALSE(NeedsUpdate(installed, latest) && NeedsUpdate(latest, installed)) << a << " / " << b;
    }
    EXPECT_FALSE(!installed.empty() && NeedsUpdate(installed, installed)) << a;
  }
}

TEST(Fuzz, ReadVersionReply) {
  RandomInputs inputs({R"({"Code":0,"Msg":"","Data":{"LatestVersion":"1.0.0.5","UpdateContent":"a|b","DownloadUrl":"u"}})",
                       R"({"Code":2,"Msg":"x"})", R"([[[[{"Data":[{"Code":1e400}]}]]]])",
                       "{\"Data\":{\"UpdateContent\":\"\xE6\x9B\xB4\"}} // c"});
  std::ostringstream discarded;
  std::streambuf* const errors = std::cerr.rdbuf(discarded.rdbuf());
  for (int i = 0; i < kRounds; ++i) {
    const VersionReply reply = ReadVersionReply(inputs.Next());
    if (reply.code != 0) {
      EXPECT_TRUE(reply.latestVersion.empty() && reply.updateNotes.empty() && reply.downloadUrl.empty());
    }
  }
  std::cerr.rdbuf(errors);
}

}  // namespace
