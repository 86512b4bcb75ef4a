// The internet library subset against the loopback test server: plain HTTP
// for the exchange itself, HTTPS with certificates made at test time for the
// certificate rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net_test_support.h"
#include "win/kernel.h"
#include "wininet.h"

using zv::nettest::CertDir;
using zv::test::TestServer;

namespace {

class Handle {
 public:
  explicit Handle(HINTERNET handle = nullptr) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return handle_; }
  void Close() {
    if (handle_) {
      EXPECT_TRUE(InternetCloseHandle(handle_));
    }
    handle_ = nullptr;
  }

 private:
  HINTERNET handle_;
};

// The three handles of one request, opened the way the launcher opens them.
struct Request {
  Request(int port, const char* object, DWORD flags)
      : internet(InternetOpenA("Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)),
        connection(InternetConnectA(internet.get(), "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                    INTERNET_SERVICE_HTTP, 0, 0)),
        request(HttpOpenRequestA(connection.get(), "GET", object, "HTTP/1.1", nullptr, nullptr, flags, 0)) {}

  void AddSecurityFlags(DWORD extra) {
    DWORD flags = 0;
    DWORD length = sizeof flags;
    ASSERT_TRUE(InternetQueryOptionW(request.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &length));
    flags |= extra;
    ASSERT_TRUE(InternetSetOptionW(request.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags));
  }

  // Sends; 0 on success, the last error otherwise.
  DWORD Send(const char* headers = "") {
    if (HttpSendRequestA(request.get(), headers, static_cast<DWORD>(std::char_traits<char>::length(headers)), nullptr,
                         0))
      return 0;
    return GetLastError();
  }

  DWORD Status() {
    DWORD status = 0;
    DWORD length = sizeof status;
    EXPECT_TRUE(HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                               nullptr));
    return status;
  }

  std::u16string RawHeaders() {
    std::u16string text(2048, u'\0');
    DWORD length = static_cast<DWORD>(text.size() * sizeof(char16_t));
    EXPECT_TRUE(HttpQueryInfoW(request.get(), HTTP_QUERY_RAW_HEADERS, text.data(), &length, nullptr));
    text.resize(length / sizeof(char16_t));
    return text;
  }

  // Reads the body in 4096-byte requests until 0 bytes come back or a read
  // fails (readError then holds the error).
  std::string Body(DWORD* readError = nullptr) {
    std::string body;
    char buffer[4096];
    for (;;) {
      DWORD read = 0;
      if (!InternetReadFile(request.get(), buffer, sizeof buffer, &read)) {
        if (readError) *readError = GetLastError();
        else ADD_FAILURE() << "read failed with " << GetLastError();
        return body;
      }
      EXPECT_LE(read, sizeof buffer);
      if (read == 0) return body;
      body.append(buffer, read);
    }
  }

  Handle internet;
  Handle connection;
  Handle request;
};

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST(WinInet, StatusAndBodyReachTheCallerWhateverTheStatus) {
  struct Case {
    const char* route;
    DWORD status;
    std::string body;
  };
  const std::vector<Case> cases = {
      {"/ok", 200, "hello"},
      {"/missing", 404, "gone"},
      {"/broken", 500, "server trouble"},
      {"/zero", 200, std::string("a\0b\0c", 5)},
      {"/empty", 204, ""},
  };
  TestServer server({.routes = R"({
    "/ok": {"body": "hello"},
    "/missing": {"status": 404, "body": "gone"},
    "/broken": {"status": 500, "body": "server trouble"},
    "/zero": {"body": "a\u0000b\u0000c"},
    "/empty": {"status": 204}})"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.route);
    Request request(server.Port(), c.route, INTERNET_FLAG_RELOAD);
    ASSERT_EQ(request.Send(), 0u);
    EXPECT_EQ(request.Status(), c.status);
    EXPECT_EQ(request.Body(), c.body);
  }
}

TEST(WinInet, LongBodiesArriveWholeInEveryFraming) {
  TestServer server({.routes = R"({
    "/length": {"body_file": "body.bin"},
    "/chunked": {"body_file": "body.bin", "framing": "chunked"},
    "/close": {"body_file": "body.bin", "framing": "close"}})"});
  const std::string bytes = zv::nettest::PatternBytes(300 * 4096 + 123);
  zv::nettest::WriteFile(server.Dir() + "/body.bin", bytes);
  for (const char* route : {"/length", "/chunked", "/close"}) {
    SCOPED_TRACE(route);
    Request request(server.Port(), route, INTERNET_FLAG_RELOAD);
    ASSERT_EQ(request.Send(), 0u);
    EXPECT_EQ(request.Body(), bytes);
  }
}

TEST(WinInet, ObjectNameIsSentAsGiven) {
  TestServer server({.routes = R"({"/v1/oem/clientVersion?oemId=3": {"body": "exact"}})"});
  Request request(server.Port(), "/v1/oem/clientVersion?oemId=3", INTERNET_FLAG_RELOAD);
  ASSERT_EQ(request.Send(), 0u);
  EXPECT_EQ(request.Body(), "exact");
  EXPECT_EQ(server.RequestLog(), std::vector<std::string>{"/v1/oem/clientVersion?oemId=3"});
}

TEST(WinInet, RequestHeadersAreTheCallersAndTheSessionAgent) {
  TestServer server({.routes = R"({"/a": {"body": "x"}})"});
  Handle internet(InternetOpenA("Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  Handle connection(InternetConnectA(internet.get(), "127.0.0.1", static_cast<INTERNET_PORT>(server.Port()), nullptr,
                                     nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  LPCSTR accept[] = {"text/plain", "application/json", nullptr};
  const struct {
    LPCSTR referrer;
    LPCSTR* acceptTypes;
    const char* headers;
  } cases[] = {{nullptr, nullptr, ""}, {"http://from.example/", accept, "X-One: 1\r\nX-Two: 2\r\n"}};
  for (const auto& c : cases) {
    Handle request(HttpOpenRequestA(connection.get(), "GET", "/a", "HTTP/1.1", c.referrer, c.acceptTypes,
                                    INTERNET_FLAG_RELOAD, 0));
    ASSERT_TRUE(HttpSendRequestA(request.get(), c.headers, static_cast<DWORD>(std::strlen(c.headers)), nullptr, 0));
  }
  const auto seen = server.RequestHeaders();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].Header("User-Agent"), "Http-connect");
  EXPECT_EQ(seen[0].Header("Accept"), std::nullopt);
  EXPECT_EQ(seen[0].Header("Referer"), std::nullopt);
  EXPECT_EQ(seen[0].Header("X-One"), std::nullopt);
  EXPECT_EQ(seen[1].Header("Accept"), "text/plain, application/json");
  EXPECT_EQ(seen[1].Header("Referer"), "http://from.example/");
  EXPECT_EQ(seen[1].Header("X-One"), "1");
  EXPECT_EQ(seen[1].Header("X-Two"), "2");
}

TEST(WinInet, HeadRequestHasHeadersButNoBody) {
  TestServer server({.routes = R"({"/a": {"body": "twelve bytes"}})"});
  Handle internet(InternetOpenA("Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  Handle connection(InternetConnectA(internet.get(), "127.0.0.1", static_cast<INTERNET_PORT>(server.Port()), nullptr,
                                     nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  Handle request(HttpOpenRequestA(connection.get(), "HEAD", "/a", nullptr, nullptr, nullptr, 0, 0));
  ASSERT_TRUE(HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0));
  DWORD length = 0;
  DWORD size = sizeof length;
  ASSERT_TRUE(HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                             nullptr));
  EXPECT_EQ(length, 12u);
  char buffer[16];
  DWORD read = 99;
  ASSERT_TRUE(InternetReadFile(request.get(), buffer, sizeof buffer, &read));
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(server.RequestHeaders().at(0).method, "HEAD");

  EXPECT_EQ(HttpOpenRequestA(connection.get(), "POST", "/a", nullptr, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED) << "a request that would need data it cannot carry";
}

// The "preconfigured" session uses the system's proxy settings (the proxy
// variables); a direct session does not.
TEST(WinInet, PreconfiguredSessionGoesThroughTheSystemProxy) {
  TestServer server({.routes = R"({"/a": {"body": "direct"}})"});
  zv::nettest::ScopedEnv proxy("http_proxy", "http://127.0.0.1:" + std::to_string(zv::nettest::ClosedPort()));
  zv::nettest::ScopedEnv noProxy("no_proxy", "");
  for (DWORD access : {INTERNET_OPEN_TYPE_PRECONFIG, INTERNET_OPEN_TYPE_DIRECT}) {
    Handle internet(InternetOpenA("Http-connect", access, nullptr, nullptr, 0));
    Handle connection(InternetConnectA(internet.get(), "127.0.0.1", static_cast<INTERNET_PORT>(server.Port()),
                                       nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    Handle request(HttpOpenRequestA(connection.get(), "GET", "/a", nullptr, nullptr, nullptr, 0, 0));
    const BOOL sent = HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0);
    if (access == INTERNET_OPEN_TYPE_PRECONFIG) {
      EXPECT_FALSE(sent);
      EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT) << "the proxy is not there";
    } else {
      EXPECT_TRUE(sent);
    }
  }
  EXPECT_EQ(server.RequestLog(), std::vector<std::string>{"/a"});
}

TEST(WinInet, RawHeadersAreZeroSeparatedWideTextEndingInTwoZeros) {
  TestServer server({.routes = R"({"/h": {"body": "abc", "headers": {"X-Test": "yes"}}})"});
  Request request(server.Port(), "/h", INTERNET_FLAG_RELOAD);
  ASSERT_EQ(request.Send(), 0u);

  DWORD needed = 8;
  char16_t small[4] = {};
  ASSERT_FALSE(HttpQueryInfoW(request.request.get(), HTTP_QUERY_RAW_HEADERS, small, &needed, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  std::u16string buffer(needed / sizeof(char16_t), u'\x7777');
  DWORD length = needed;
  ASSERT_TRUE(HttpQueryInfoW(request.request.get(), HTTP_QUERY_RAW_HEADERS, buffer.data(), &length, nullptr));
  // The returned length leaves out the terminating zero, which makes the second zero at the end.
  EXPECT_EQ(length + sizeof(char16_t), needed);
  const std::u16string text = buffer.substr(0, length / sizeof(char16_t));
  EXPECT_EQ(text.rfind(u"HTTP/1.1 200 OK", 0), 0u) << "starts with the status line";
  EXPECT_NE(text.find(Wide(std::string("\0X-Test: yes\0", 13))), std::u16string::npos);
  EXPECT_NE(text.find(Wide(std::string("\0Content-Length: 3\0", 19))), std::u16string::npos);
  EXPECT_EQ(text.back(), u'\0');
  EXPECT_EQ(buffer[length / sizeof(char16_t)], u'\0');
  EXPECT_EQ(text.find(u'\r'), std::u16string::npos);

  // The byte forms of the other levels.
  const auto queryA = [&](DWORD level) {
    char text[1024] = {};
    DWORD textLength = sizeof text;
    EXPECT_TRUE(HttpQueryInfoA(request.request.get(), level, text, &textLength, nullptr));
    return std::string(text, textLength);
  };
  EXPECT_EQ(queryA(HTTP_QUERY_STATUS_CODE), "200");
  EXPECT_EQ(queryA(HTTP_QUERY_STATUS_TEXT), "OK");
  EXPECT_EQ(queryA(HTTP_QUERY_CONTENT_LENGTH), "3");
  const std::string crlf = queryA(HTTP_QUERY_RAW_HEADERS_CRLF);
  EXPECT_EQ(crlf.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(crlf.find("\r\nX-Test: yes\r\n"), std::string::npos);
  EXPECT_EQ(crlf.substr(crlf.size() - 4), "\r\n\r\n");
}

TEST(WinInet, RedirectIsFollowedAndTheFinalAnswerReported) {
  TestServer server({.routes = R"({"/old": {"redirect": "/new"}, "/new": {"body": "moved here"}})"});
  Request request(server.Port(), "/old", INTERNET_FLAG_RELOAD);
  ASSERT_EQ(request.Send(), 0u);
  EXPECT_EQ(request.Status(), 200u);
  EXPECT_EQ(request.RawHeaders().rfind(u"HTTP/1.1 200", 0), 0u);
  EXPECT_EQ(request.Body(), "moved here");
  EXPECT_EQ(server.RequestLog(), (std::vector<std::string>{"/old", "/new"}));

  Request unfollowed(server.Port(), "/old", INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT);
  ASSERT_EQ(unfollowed.Send(), 0u);
  EXPECT_EQ(unfollowed.Status(), 302u);
  EXPECT_NE(unfollowed.RawHeaders().find(u"Location: /new"), std::u16string::npos);
  EXPECT_EQ(server.RequestLog().size(), 3u);
}

TEST(WinInet, RefusedConnectionFailsTheSend) {
  Request request(zv::nettest::ClosedPort(), "/", INTERNET_FLAG_RELOAD);
  ASSERT_NE(request.request.get(), nullptr) << "connecting is put off until the send";
  EXPECT_EQ(request.Send(), ERROR_INTERNET_CANNOT_CONNECT);
  DWORD length = 64;
  char16_t headers[32];
  EXPECT_FALSE(HttpQueryInfoW(request.request.get(), HTTP_QUERY_RAW_HEADERS, headers, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
}

TEST(WinInet, SilentServerIsGivenUpOnAfterTheIdleLimit) {
  zv::nettest::ShortTimeLimits limits;
  TestServer server({.routes = R"({"/silent": {"body": "late", "delay": 60},
                                   "/stuck": {"body": "abcdefgh", "stall_after": 4}})"});
  Request silent(server.Port(), "/silent", INTERNET_FLAG_RELOAD);
  EXPECT_EQ(silent.Send(), ERROR_INTERNET_TIMEOUT);

  Request stuck(server.Port(), "/stuck", INTERNET_FLAG_RELOAD);
  ASSERT_EQ(stuck.Send(), 0u);
  DWORD readError = 0;
  EXPECT_EQ(stuck.Body(&readError), "abcd") << "what did arrive is delivered first";
  EXPECT_EQ(readError, ERROR_INTERNET_TIMEOUT);
}

TEST(WinInet, DroppedConnectionFailsTheReadAfterTheBytesThatArrived) {
  TestServer server({.routes = R"({"/drop": {"body": "0123456789", "drop_after": 6}})"});
  Request request(server.Port(), "/drop", INTERNET_FLAG_RELOAD);
  ASSERT_EQ(request.Send(), 0u);
  DWORD readError = 0;
  EXPECT_EQ(request.Body(&readError), "012345");
  EXPECT_TRUE(readError == ERROR_INTERNET_CONNECTION_RESET || readError == ERROR_INTERNET_CONNECTION_ABORTED)
      << readError;
}

// The certificate rules, with the test CA trusted so that each certificate
// shows exactly one fault (or none).
TEST(WinInet, CertificateFaultsAreRefusedUnlessTheirFlagIgnoresThem) {
  zv::nettest::TrustTestCa trust;
  struct Case {
    const char* cert;
    DWORD requestFlags;
    DWORD securityFlags;
    DWORD expected;
  };
  const DWORD secure = INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE;
  const DWORD all = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                    SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
  const std::vector<Case> cases = {
      {"good", secure, 0, 0},
      {"selfsigned", secure, 0, ERROR_INTERNET_INVALID_CA},
      {"selfsigned", secure, SECURITY_FLAG_IGNORE_UNKNOWN_CA, 0},
      {"selfsigned", secure, SECURITY_FLAG_IGNORE_CERT_DATE_INVALID, ERROR_INTERNET_INVALID_CA},
      {"expired", secure, 0, ERROR_INTERNET_SEC_CERT_DATE_INVALID},
      {"expired", secure, SECURITY_FLAG_IGNORE_CERT_DATE_INVALID, 0},
      {"expired", secure | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID, 0, 0},
      {"expired", secure, SECURITY_FLAG_IGNORE_UNKNOWN_CA, ERROR_INTERNET_SEC_CERT_DATE_INVALID},
      {"wrongname", secure, 0, ERROR_INTERNET_SEC_CERT_CN_INVALID},
      {"wrongname", secure, SECURITY_FLAG_IGNORE_CERT_CN_INVALID, 0},
      {"wrongname", secure | INTERNET_FLAG_IGNORE_CERT_CN_INVALID, 0, 0},
      {"wrongname", secure, SECURITY_FLAG_IGNORE_UNKNOWN_CA, ERROR_INTERNET_SEC_CERT_CN_INVALID},
      // The launcher's own request: every fault ignored.
      {"selfsigned", 0x80CC9200, all, 0},
      {"expired", 0x80CC9200, all, 0},
      {"wrongname", 0x80CC9200, all, 0},
  };
  const std::string routes = R"({"/s": {"body": "secret"}})";
  for (const char* cert : {"good", "selfsigned", "expired", "wrongname"}) {
    TestServer server({.routes = routes, .cert = CertDir() + "/" + cert});
    for (const Case& c : cases) {
      if (std::string(c.cert) != cert) continue;
      SCOPED_TRACE(std::string(cert) + " flags " + std::to_string(c.requestFlags) + "/" +
                   std::to_string(c.securityFlags));
      Request request(server.Port(), "/s", c.requestFlags);
      if (c.securityFlags) request.AddSecurityFlags(c.securityFlags);
      ASSERT_EQ(request.Send(), c.expected);
      if (c.expected == 0) {
        EXPECT_EQ(request.Body(), "secret");
      }
    }
  }
}

TEST(WinInet, UnknownAuthorityIsRefusedByTheSystemStore) {
  TestServer server({.routes = R"({"/s": {"body": "secret"}})", .cert = CertDir() + "/good"});
  Request request(server.Port(), "/s", INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE);
  EXPECT_EQ(request.Send(), ERROR_INTERNET_INVALID_CA) << "the test CA is trusted only on request";
  EXPECT_TRUE(server.RequestLog().empty()) << "nothing was sent to a server that was not trusted";
}

TEST(WinInet, SecurityFlagsOption) {
  TestServer server({.routes = R"({"/": {"body": ""}})"});
  Request request(server.Port(), "/", INTERNET_FLAG_IGNORE_CERT_CN_INVALID);
  DWORD flags = 0;
  DWORD length = sizeof flags;
  ASSERT_TRUE(InternetQueryOptionW(request.request.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &length));
  EXPECT_EQ(flags, SECURITY_FLAG_IGNORE_CERT_CN_INVALID) << "the request flag shows in the security flags";

  request.AddSecurityFlags(SECURITY_FLAG_IGNORE_UNKNOWN_CA);
  ASSERT_TRUE(InternetQueryOptionW(request.request.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &length));
  EXPECT_EQ(flags, SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_UNKNOWN_CA);

  length = 2;
  EXPECT_FALSE(InternetQueryOptionW(request.request.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &length));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(length, sizeof(DWORD));
  length = sizeof flags;
  EXPECT_FALSE(InternetQueryOptionW(request.connection.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &length));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  EXPECT_FALSE(InternetQueryOptionW(request.request.get(), 2, &flags, &length));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_OPTION);
}

TEST(WinInet, HandlesCloseInAnyOrderAndStaleOnesAreRefused) {
  TestServer server({.routes = R"({"/a": {"body": "still here"}})"});
  Request request(server.Port(), "/a", INTERNET_FLAG_RELOAD);
  ASSERT_EQ(request.Send(), 0u);
  const HINTERNET stale = request.internet.get();
  request.internet.Close();
  request.connection.Close();
  EXPECT_EQ(request.Body(), "still here") << "closing the parents first leaves the request usable";

  EXPECT_FALSE(InternetCloseHandle(stale));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(InternetConnectA(stale, "127.0.0.1", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  DWORD read = 0;
  char buffer[4];
  EXPECT_FALSE(InternetReadFile(request.connection.get(), buffer, sizeof buffer, &read));
}

}  // namespace
