#include "service/http_client.h"

#include "TestServer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>

namespace {

using zv::test::TempDir;
using zv::test::TestServer;

// One set of certificates for the whole program: making them runs openssl.
const std::string& CertificateDir() {
  static TempDir dir;
  static const std::string certs = [] {
    zv::test::MakeCertificates(dir.path() + "/certs");
    return dir.path() + "/certs/";
  }();
  return certs;
}

// A port on the loopback address that nothing listens on.
int ClosedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

std::string PatternBody(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
  return body;
}

// Every certificate a careless server may have is accepted over https.
class AnyCertificate : public testing::TestWithParam<const char*> {};

TEST_P(AnyCertificate, IsAcceptedWithTheRequestFlags) {
  TestServer server({.routes = R"({"/a": {"body": "hello"}})", .cert = CertificateDir() + GetParam()});
  HttpClient client;
  EXPECT_EQ(client.Request(server.Url("/a"), ""), "hello");
  EXPECT_EQ(client.error, 0);
}

INSTANTIATE_TEST_SUITE_P(Certificates, AnyCertificate,
                         testing::Values("good", "selfsigned", "expired", "wrongname"));

struct StatusCase {
  const char* name;
  std::string route;
  std::int32_t error;
  std::string body;
};

void PrintTo(const StatusCase& c, std::ostream* out) { *out << c.name; }

class Answers : public testing::TestWithParam<StatusCase> {};

TEST_P(Answers, GiveErrorAndBody) {
  const StatusCase& c = GetParam();
  TestServer server({.routes = R"({"/a": )" + c.route + "}", .cert = CertificateDir() + "selfsigned"});
  HttpClient client;
  EXPECT_EQ(client.Request(server.Url("/a"), ""), c.body);
  EXPECT_EQ(client.error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, Answers,
    testing::Values(StatusCase{"ok", R"({"body": "fine"})", 0, "fine"},
                    StatusCase{"not_found", R"({"status": 404, "body": "gone"})", NotFound, ""},
                    StatusCase{"server_error", R"({"status": 500, "body": "broken"})", 0, "broken"},
                    StatusCase{"chunked", R"({"body": "abc", "framing": "chunked"})", 0, "abc"},
                    StatusCase{"until_close", R"({"body": "abc", "framing": "close"})", 0, "abc"},
                    StatusCase{"zero_byte", R"({"body": "0123456789\u0000DROPPED"})", 0, "0123456789"},
                    StatusCase{"long_headers", R"({"body": "x", "headers": {"X-Long": ")" +
                                                       std::string(6000, 'h') + R"("}})",
                               0, "x"}));

TEST(HttpClientBody, LargerThanManyChunksArrivesWhole) {
  TestServer server({.cert = CertificateDir() + "good"});
  const std::string body = PatternBody(1000 * 1000 + 123);
  std::ofstream(server.Dir() + "/big.bin", std::ios::binary) << body;
  server.SetRoutes(R"({"/big": {"body_file": "big.bin"}})");
  HttpClient client;
  EXPECT_TRUE(client.Request(server.Url("/big"), "") == body);
  EXPECT_EQ(client.error, 0);
}

TEST(HttpClientBody, ZeroByteDropsOnlyTheRestOfItsChunk) {
  TestServer server({.cert = CertificateDir() + "good"});
  std::string body = PatternBody(20000);
  body.replace(10, 8, std::string("\0DROPPED", 8));
  std::ofstream(server.Dir() + "/zero.bin", std::ios::binary) << body;
  server.SetRoutes(R"({"/zero": {"body_file": "zero.bin"}})");
  HttpClient client;
  const std::string got = client.Request(server.Url("/zero"), "");
  EXPECT_EQ(client.error, 0);
  EXPECT_EQ(got.substr(0, 10), body.substr(0, 10));
  EXPECT_EQ(got.find("DROPPED"), std::string::npos);
  // Chunks after the one holding the zero byte are kept whole.
  const std::string tail = body.substr(body.size() - 8192);
  ASSERT_GE(got.size(), tail.size());
  EXPECT_EQ(got.substr(got.size() - tail.size()), tail);
}

TEST(HttpClientRequest, SendsPathAndQueryToTheNamedPortButNoFragment) {
  TestServer server({.routes = R"({"/v1/oem/clientVersion": {"body": "v"}, "/a": {"body": "a"}})",
                     .cert = CertificateDir() + "good"});
  HttpClient client;
  EXPECT_EQ(client.Request(server.Url("/v1/oem/clientVersion?oemId=3"), ""), "v");
  EXPECT_EQ(client.Request(server.Url("/a?x=1#frag"), ""), "a");
  EXPECT_EQ(server.RequestLog(), (std::vector<std::string>{"/v1/oem/clientVersion?oemId=3", "/a?x=1"}));
}

TEST(HttpClientRequest, PlainHttpWorksToo) {
  TestServer server({.routes = R"({"/a": {"body": "plain"}})", .cert = ""});
  HttpClient client;
  EXPECT_EQ(client.Request(server.Url("/a"), "X-Test: 1\r\n"), "plain");
  EXPECT_EQ(client.error, 0);
}

TEST(HttpClientRequest, RefusedConnectionIsASendFailure) {
  HttpClient client;
  EXPECT_EQ(client.Request("https://127.0.0.1:" + std::to_string(ClosedPort()) + "/a", ""), "");
  EXPECT_EQ(client.error, SendFailed);
}

// A port that does not fit in 16 bits is refused, not cut to another port.
TEST(HttpClientRequest, PortBeyondSixteenBitsIsRefused) {
  TestServer server({.routes = R"({"/a": {"body": "wrong port"}})", .cert = CertificateDir() + "good"});
  HttpClient client;
  const std::string url = "https://127.0.0.1:" + std::to_string(server.Port() + 65536) + "/a";
  EXPECT_EQ(client.Request(url, ""), "");
  EXPECT_EQ(client.error, ConnectFailed);
  EXPECT_TRUE(server.RequestLog().empty());
}

TEST(HttpClientRequest, EmptyUrlLeavesTheHandlesOfTheLastRequest) {
  TestServer server({.routes = R"({"/a": {"body": "a"}})", .cert = CertificateDir() + "good"});
  HttpClient client;
  client.Request(server.Url("/a"), "");
  const HINTERNET handles[] = {client.internet, client.connection, client.request};
  ASSERT_NE(handles[2], nullptr);
  EXPECT_EQ(client.Request("", ""), "");
  EXPECT_EQ(client.error, EmptyUrl);
  EXPECT_EQ(client.internet, handles[0]);
  EXPECT_EQ(client.connection, handles[1]);
  EXPECT_EQ(client.request, handles[2]);
}

// A server that stops answering cannot hold the launcher for ever: the
// platform's time limits end the request.
TEST(HttpClientRequest, SilentServerEndsTheRequest) {
  TestServer server({.routes = R"({"/stall": {"body": "partial-and-more", "stall_after": 7}})",
                     .cert = CertificateDir() + "good"});
  HttpClient client;
  const std::string body = client.Request(server.Url("/stall"), "");
  EXPECT_EQ(client.error, 0);
  EXPECT_EQ(body, "partial");
}

}  // namespace
