// Starting the loopback test server (testserver.py) from a C++ test: one
// server process per object, with its own temporary folder for routes, body
// files and logs. Test code only; never linked into the product.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <sys/types.h>
#include <vector>

namespace zv::test {

// A fresh folder under $TMPDIR (or /tmp), removed with its content at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Runs make-certs.sh into dir (see README.md for the files it makes).
// Throws std::runtime_error when it fails.
void MakeCertificates(const std::string& dir);

// One request as the server saw it.
struct LoggedRequest {
  std::string method;
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;  // in the order received
  // The first value of the header `name` (compared without case), or nullopt.
  std::optional<std::string> Header(const std::string& name) const;
};

struct TestServerOptions {
  std::string routes = "{}";  // the routes as JSON text
  std::string cert = {};      // PEM pair without extension (".../good"): HTTPS; empty: plain HTTP
  int port = 0;               // 0 picks a free port
};

class TestServer {
 public:
  // Starts the server and waits until it listens; throws std::runtime_error
  // when it does not come up.
  explicit TestServer(const TestServerOptions& options);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  int Port() const { return port_; }
  // "http(s)://127.0.0.1:PORT" followed by target.
  std::string Url(const std::string& target) const;
  // The server's own folder: body files named in routes are relative to it.
  const std::string& Dir() const { return dir_.path(); }
  // Replaces the routes; the next request sees the new ones.
  void SetRoutes(const std::string& routesJson);
  // Every request target (path and query) received so far, in order.
  std::vector<std::string> RequestLog() const;
  // Every request received so far with its method and headers, in order.
  std::vector<LoggedRequest> RequestHeaders() const;

 private:
  TempDir dir_;
  bool https_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace zv::test
