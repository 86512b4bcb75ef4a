#include "service/version_query.h"

#include <gtest/gtest.h>

namespace {

struct ReplyCase {
  const char* name;
  std::string body;
  VersionReply expected;
};

void PrintTo(const ReplyCase& c, std::ostream* out) { *out << c.name; }

class ReadVersionReplyTable : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReadVersionReplyTable, KeepsWhatTheLauncherNeeds) {
  const ReplyCase& c = GetParam();
  testing::internal::CaptureStderr();
  const VersionReply reply = ReadVersionReply(c.body);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(reply.code, c.expected.code);
  EXPECT_EQ(reply.latestVersion, c.expected.latestVersion);
  EXPECT_EQ(reply.updateNotes, c.expected.updateNotes);
  EXPECT_EQ(reply.downloadUrl, c.expected.downloadUrl);
  EXPECT_EQ(reply.message, c.expected.message);
}

const std::string kFullData = R"("Data":{"LatestVersion":"1.0.0.5","UpdateContent":"a|b","DownloadUrl":"u"})";

std::string Nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

INSTANTIATE_TEST_SUITE_P(
    Bodies, ReadVersionReplyTable,
    testing::Values(
        ReplyCase{"complete", R"({"Code":0,"Msg":"ok",)" + kFullData + "}", {0, u"1.0.0.5", u"a|b", u"u", u""}},
        ReplyCase{"error code", R"({"Code":2,"Msg":"x",)" + kFullData + "}", {2, u"", u"", u"", u"x"}},
        ReplyCase{"no code", "{" + kFullData + "}", {0, u"1.0.0.5", u"a|b", u"u", u""}},
        ReplyCase{"not json", "<html>", {}},
        ReplyCase{"empty body", "", {}},
        ReplyCase{"no data", R"({"Code":0})", {}},
        ReplyCase{"utf-8 text", "{\"Data\":{\"UpdateContent\":\"\xE6\x9B\xB4\xF0\x9F\x98\x80\"}}",
                  {0, u"", u"\u66F4\U0001F600", u"", u""}},
        ReplyCase{"invalid utf-8 in one member",
                  "{\"Data\":{\"LatestVersion\":\"1.0.0.5\",\"UpdateContent\":\"a\xC0\xAF\",\"DownloadUrl\":\"u\"}}",
                  {0, u"1.0.0.5", u"", u"u", u""}},
        // JsonCpp's own conversions for scalars: booleans and numbers as text.
        ReplyCase{"scalar members", R"({"Code":false,"Data":{"LatestVersion":2,"UpdateContent":true}})",
                  {0, u"2", u"true", u"", u""}},
        ReplyCase{"real code", R"({"Code":3.7,"Msg":"m"})", {3, u"", u"", u"", u"m"}},
        // Types JsonCpp refuses to convert read as absent members.
        ReplyCase{"code as string", R"({"Code":"7",)" + kFullData + "}", {0, u"1.0.0.5", u"a|b", u"u", u""}},
        ReplyCase{"code out of range", R"({"Code":4294967296,)" + kFullData + "}", {0, u"1.0.0.5", u"a|b", u"u", u""}},
        ReplyCase{"code as object", R"({"Code":{},"Data":{"DownloadUrl":"u"}})", {0, u"", u"", u"u", u""}},
        ReplyCase{"message as array", R"({"Code":1,"Msg":["x"]})", {1, u"", u"", u"", u""}},
        ReplyCase{"version as object", R"({"Data":{"LatestVersion":{"a":1},"DownloadUrl":"u"}})", {0, u"", u"", u"u", u""}},
        ReplyCase{"data as string", R"({"Code":0,"Data":"1.0.0.5"})", {}},
        ReplyCase{"data as array", R"({"Code":0,"Data":[1,2]})", {}},
        ReplyCase{"root as array", R"([{"Code":5}])", {}},
        ReplyCase{"root as number", "17", {}},
        ReplyCase{"nested beyond the reader's limit", Nested(5000), {}}));

TEST(ToWideInReply, InvalidUtf8SaysBadConversion) {
  testing::internal::CaptureStderr();
  ReadVersionReply("{\"Data\":{\"UpdateContent\":\"\x80\"}}");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "bad conversion\n");
}

}  // namespace
