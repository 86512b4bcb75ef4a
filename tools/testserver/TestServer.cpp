#include "TestServer.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <json/json.h>
#include <spawn.h>
#include <strings.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zv::test {
namespace {

namespace fs = std::filesystem;

// Python starts in well under a second; a loaded CI machine gets a lot more.
constexpr auto kStartLimit = std::chrono::seconds(30);

void WriteFile(const std::string& path, const std::string& text) {
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + temp);
  }
  fs::rename(temp, path);  // the server never sees a half-written file
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& outputFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
  return pid;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/zvtest-" + std::to_string(getpid()) + "-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void MakeCertificates(const std::string& dir) {
  std::string log = dir + ".log";
  pid_t pid = Spawn({"bash", ZV_TESTSERVER_DIR "/make-certs.sh", dir}, log);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("make-certs.sh failed: " + ReadAll(log));
}

TestServer::TestServer(const TestServerOptions& options) : https_(!options.cert.empty()) {
  const std::string routes = dir_.path() + "/routes.json";
  const std::string ready = dir_.path() + "/ready";
  WriteFile(routes, options.routes);
  std::vector<std::string> args = {"python3", ZV_TESTSERVER_DIR "/testserver.py", "--routes", routes,
                                   "--port", std::to_string(options.port), "--ready-file", ready,
                                   "--log", dir_.path() + "/requests.log",
                                   "--header-log", dir_.path() + "/headers.log"};
  if (https_) args.insert(args.end(), {"--cert", options.cert + ".pem", "--key", options.cert + ".key"});
  pid_ = Spawn(args, dir_.path() + "/server.out");

  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (!fs::exists(ready)) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_ || std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      throw std::runtime_error("test server did not start: " + ReadAll(dir_.path() + "/server.out"));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  port_ = std::stoi(ReadAll(ready));
}

TestServer::~TestServer() {
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

std::string TestServer::Url(const std::string& target) const {
  return std::string(https_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + target;
}

void TestServer::SetRoutes(const std::string& routesJson) { WriteFile(dir_.path() + "/routes.json", routesJson); }

std::vector<std::string> TestServer::RequestLog() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadAll(dir_.path() + "/requests.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<LoggedRequest> TestServer::RequestHeaders() const {
  std::vector<LoggedRequest> requests;
  std::istringstream in(ReadAll(dir_.path() + "/headers.log"));
  Json::Reader reader;
  for (std::string line; std::getline(in, line);) {
    Json::Value entry;
    if (!reader.parse(line, entry)) throw std::runtime_error("bad header log line: " + line);
    LoggedRequest request{entry["method"].asString(), entry["target"].asString(), {}};
    for (const Json::Value& header : entry["headers"])
      request.headers.emplace_back(header[0].asString(), header[1].asString());
    requests.push_back(std::move(request));
  }
  return requests;
}

std::optional<std::string> LoggedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
  return std::nullopt;
}

}  // namespace zv::test
