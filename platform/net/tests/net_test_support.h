// Shared pieces of the net tests: certificates made once per test program,
// environment settings undone at the end of a test, a port nobody listens on.
#pragma once

#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "TestServer.h"
#include "time_limits.h"

namespace zv::nettest {

// The folder of make-certs.sh's files, made on first use.
inline const std::string& CertDir() {
  static zv::test::TempDir dir;
  static const std::string certs = [] {
    zv::test::MakeCertificates(dir.path() + "/certs");
    return dir.path() + "/certs";
  }();
  return certs;
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Trusts the test CA for the length of a test.
struct TrustTestCa : ScopedEnv {
  TrustTestCa() : ScopedEnv("ZV_TEST_CA_FILE", CertDir() + "/ca.pem") {}
};

// Short time limits, so a silent server is given up on within seconds; still
// long enough that a busy test machine's server is not taken for silent.
class ShortTimeLimits {
 public:
  ShortTimeLimits() : saved_(net::CurrentTimeLimits()) {
    net::SetTimeLimitsForTests({std::chrono::milliseconds(10000), std::chrono::milliseconds(3000)});
  }
  ~ShortTimeLimits() { net::SetTimeLimitsForTests(saved_); }

 private:
  net::TimeLimits saved_;
};

// A loopback port that was free a moment ago and has no listener.
inline int ClosedPort() {
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

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Bytes with every value in them, zero included, in a pattern that shows
// reordering or loss.
inline std::string PatternBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

}  // namespace zv::nettest
