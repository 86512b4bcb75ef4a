#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

// Only a guard against a test hanging for ever; nothing measures time.
constexpr auto kHangGuard = std::chrono::seconds(60);

std::string UniqueName(const std::string& dir, const char* kind) {
  static std::atomic<int> counter{0};
  return dir + "/child-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "." + kind;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& workDir,
                           const std::vector<std::string>& extraEnvironment)
    : outPath_(UniqueName(workDir, "out")), errPath_(UniqueName(workDir, "err")) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const auto& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);

  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || chdir(workDir.c_str()) != 0) _exit(127);
    dup2(pipeFds[0], 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  close(pipeFds[0]);
  input_ = pipeFds[1];
}

ChildProcess::~ChildProcess() {
  CloseInput();
  if (status_ < 0 && pid_ > 0) {
    Kill();
    Wait();
  }
}

void ChildProcess::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

int ChildProcess::Wait() {
  if (status_ >= 0) return status_;
  int raw = 0;
  while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
  }
  status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return status_;
}

void ChildProcess::Kill() {
  if (status_ < 0) kill(pid_, SIGKILL);
}

std::string ChildProcess::Output() const { return ReadFileText(outPath_); }

std::string ChildProcess::Errors() const { return ReadFileText(errPath_); }

bool ChildProcess::WaitForOutput(const std::string& needle, int count) const {
  return Eventually([&] { return Occurrences(Output(), needle) >= count; });
}

Finished RunToEnd(const std::vector<std::string>& argv, const std::string& workDir,
                  const std::vector<std::string>& extraEnvironment) {
  ChildProcess child(argv, workDir, extraEnvironment);
  child.CloseInput();
  const int code = child.Wait();
  return {code, child.Output(), child.Errors()};
}

int Occurrences(const std::string& text, const std::string& needle) {
  int count = 0;
  for (std::size_t pos = text.find(needle); pos != std::string::npos;
       pos = text.find(needle, pos + needle.size())) {
    ++count;
  }
  return count;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
}

bool EventuallyImpl(bool (*check)(const void*), const void* context) {
  const auto deadline = std::chrono::steady_clock::now() + kHangGuard;
  while (!check(context)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}
