// The version query against a real HTTPS server on 127.0.0.1:1011, with the
// loopback build of the service client.
#include "service/version_query.h"

#include "TestServer.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using zv::test::TempDir;
using zv::test::TestServer;

class VersionQuery : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    certs_ = new TempDir;
    zv::test::MakeCertificates(certs_->path() + "/certs");
    server_ = new TestServer({.cert = certs_->path() + "/certs/selfsigned", .port = 1011});
  }
  static void TearDownTestSuite() {
    delete server_;
    delete certs_;
  }

  static void Answer(const std::string& body) {
    std::ofstream(server_->Dir() + "/reply.json", std::ios::binary) << body;
    server_->SetRoutes(R"({"/v1/oem/clientVersion": {"body_file": "reply.json"}})");
  }

  static TempDir* certs_;
  static TestServer* server_;
};

TempDir* VersionQuery::certs_ = nullptr;
TestServer* VersionQuery::server_ = nullptr;

TEST_F(VersionQuery, AsksTheServiceWithTheOemId) {
  Answer(R"({"Code":0})");
  HttpClient client;
  for (std::int32_t id : {1, -4, 2147483647}) QueryVersion(client, id);
  const std::vector<std::string> log = server_->RequestLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
            (std::vector<std::string>{"/v1/oem/clientVersion?oemId=1", "/v1/oem/clientVersion?oemId=-4",
                                      "/v1/oem/clientVersion?oemId=2147483647"}));
  EXPECT_EQ(VersionQueryUrl(-4), "https://127.0.0.1:1011/v1/oem/clientVersion?oemId=-4");
}

TEST_F(VersionQuery, NewerVersionMeansUpdate) {
  Answer(R"({"Code":0,"Msg":"","Data":{"LatestVersion":"1.0.0.5","UpdateContent":"a|b","DownloadUrl":"u"}})");
  HttpClient client;
  const VersionReply reply = QueryVersion(client, 1);
  EXPECT_EQ(client.error, 0);
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.updateNotes, u"a|b");
  EXPECT_EQ(reply.downloadUrl, u"u");
  EXPECT_TRUE(NeedsUpdate(u"1.0.0.4", reply.latestVersion));
  EXPECT_FALSE(NeedsUpdate(u"1.0.0.5", reply.latestVersion));
  EXPECT_FALSE(NeedsUpdate(u"2.0.0.0", reply.latestVersion));
}

TEST_F(VersionQuery, ErrorCodeKeepsOnlyTheMessage) {
  Answer(R"({"Code":2,"Msg":"x","Data":{"LatestVersion":"9.0.0.0"}})");
  HttpClient client;
  const VersionReply reply = QueryVersion(client, 1);
  EXPECT_EQ(reply.code, 2);
  EXPECT_EQ(reply.message, u"x");
  EXPECT_EQ(reply.latestVersion, u"");
}

TEST_F(VersionQuery, InvalidUtf8EmptiesOnlyThatMember) {
  Answer("{\"Code\":0,\"Data\":{\"LatestVersion\":\"1.0.0.5\",\"UpdateContent\":\"bad\xFF\",\"DownloadUrl\":\"u\"}}");
  HttpClient client;
  testing::internal::CaptureStderr();
  const VersionReply reply = QueryVersion(client, 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "bad conversion\n");
  EXPECT_EQ(reply.latestVersion, u"1.0.0.5");
  EXPECT_EQ(reply.updateNotes, u"");
  EXPECT_EQ(reply.downloadUrl, u"u");
}

TEST_F(VersionQuery, FailedRequestKeepsTheInitialReply) {
  server_->SetRoutes(R"({"/v1/oem/clientVersion": {"status": 404, "body": "{\"Code\":3,\"Msg\":\"m\"}"}})");
  HttpClient client;
  const VersionReply reply = QueryVersion(client, 1);
  EXPECT_EQ(client.error, NotFound);
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.message, u"");
}

TEST_F(VersionQuery, BodyThatIsNotJsonLeadsToTheUpdatePath) {
  Answer("Service Unavailable");
  HttpClient client;
  const VersionReply reply = QueryVersion(client, 1);
  EXPECT_EQ(client.error, 0);
  EXPECT_EQ(reply.code, 0);
  EXPECT_TRUE(NeedsUpdate(u"1.0.0.4", reply.latestVersion));
}

}  // namespace
