// Running the test programs as real child processes: their standard output
// and error go to files that the test reads while they run or after.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
 public:
  // Starts argv[0] with `argv` in `workDir`, standard input a pipe held open
  // by this object, standard output and error in files under `workDir`.
  ChildProcess(const std::vector<std::string>& argv, const std::string& workDir,
               const std::vector<std::string>& extraEnvironment = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Closing standard input tells a waiting probe to finish.
  void CloseInput();
  // The exit code as a parent sees it (0..255), or 128 + signal.
  int Wait();
  void Kill();
  pid_t Pid() const { return pid_; }

  std::string Output() const;
  std::string Errors() const;
  // Waits (up to a generous limit that only guards against a hang) until
  // standard output holds `needle` at least `count` times; false if it never does.
  bool WaitForOutput(const std::string& needle, int count = 1) const;

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int status_ = -1;
  std::string outPath_;
  std::string errPath_;
};

struct Finished {
  int exitCode;
  std::string output;
  std::string errors;
};

// Runs a program to its end.
Finished RunToEnd(const std::vector<std::string>& argv, const std::string& workDir,
                  const std::vector<std::string>& extraEnvironment = {});

// Counts the occurrences of `needle` in `text`.
int Occurrences(const std::string& text, const std::string& needle);

// The whole content of a file, or empty when it cannot be read.
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);

bool EventuallyImpl(bool (*check)(const void*), const void* context);
// Waits (up to the same hang guard) until `predicate` holds.
template <typename Predicate>
bool Eventually(Predicate predicate) {
  return EventuallyImpl([](const void* p) { return (*static_cast<const Predicate*>(p))(); },
                        &predicate);
}
