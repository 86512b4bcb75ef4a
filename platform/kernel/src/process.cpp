// CreateProcessW, GetExitCodeProcess and ExitProcess.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

#include "command_line.h"
#include "file_object.h"
#include "paths.h"
#include "waitable.h"
#include "zv/errors.h"
#include "zv/text.h"

extern char** environ;

namespace {

using zv::kernel::FileObject;

struct ProcessState {
  explicit ProcessState(pid_t id) : pid(id) {}
  const pid_t pid;
  std::atomic<DWORD> exitCode{STILL_ACTIVE};
  std::atomic<std::uint32_t> word{0};  // 1 once the process has ended
};

// Process and thread handles both name the process: each becomes signalled
// when the process ends.
class ProcessObject : public zv::kernel::Waitable {
 public:
  explicit ProcessObject(std::shared_ptr<ProcessState> state) : state_(std::move(state)) {}
  std::atomic<std::uint32_t>& Word() override { return state_->word; }
  bool IsSignaled(std::uint32_t word) const override { return word != 0; }
  bool Consume(std::uint32_t) override { return true; }
  DWORD ExitCode() const { return state_->exitCode.load(std::memory_order_acquire); }

 private:
  std::shared_ptr<ProcessState> state_;
};

// POSIX keeps the low 8 bits of an exit status. A process ended by a signal
// reports 128 plus the signal's number, as shells do.
DWORD ExitCodeFromStatus(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<DWORD>(WTERMSIG(status));
  return 1;
}

// Every child is reaped as soon as it ends, whether or not anyone waits for
// it, so none stays a zombie; its exit code is kept for GetExitCodeProcess.
void StartReaper(const std::shared_ptr<ProcessState>& state) {
  std::thread([state] {
    int status = 0;
    pid_t result;
    while ((result = waitpid(state->pid, &status, 0)) < 0 && errno == EINTR) {
    }
    // Someone else reaped it (ECHILD): it has ended, its code is unknown.
    state->exitCode.store(result < 0 ? 1u : ExitCodeFromStatus(status), std::memory_order_release);
    state->word.store(1, std::memory_order_release);
    zv::kernel::WakeAll(state->word);
  }).detach();
}

class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
    // The child starts with no blocked signals and default handlers, whatever
    // this process's threads have set up for themselves.
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes_, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes_, &signals);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // STARTF_USESTDHANDLES: a given file handle becomes the standard handle; an
  // empty one means none, which a POSIX program gets as /dev/null.
  bool SetStandardHandles(const STARTUPINFOW& info) {
    const HANDLE handles[3] = {info.hStdInput, info.hStdOutput, info.hStdError};
    for (int fd = 0; fd < 3; ++fd) {
      if (handles[fd] == nullptr || handles[fd] == INVALID_HANDLE_VALUE) {
        posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
        continue;
      }
      auto file = zv::kernel::LookupHandle<FileObject>(handles[fd]);
      if (!file) return false;
      posix_spawn_file_actions_adddup2(&actions_, file->fd(), fd);
      files_.push_back(std::move(file));
    }
    return true;
  }

  void SetFolder(const std::string& folder) { posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str()); }

  int Spawn(const std::string& program, const std::vector<std::string>& arguments, pid_t& pid) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return posix_spawn(&pid, program.c_str(), &actions_, &attributes_, argv.data(), environ);
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
  std::vector<std::shared_ptr<FileObject>> files_;  // kept open until the spawn
};

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

}  // namespace

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation) {
  if (startupInfo == nullptr || processInformation == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  // The layer's handles are never inherited, whatever inheritHandles says:
  // only the standard handles reach the child. A started client must not,
  // for one, keep the launcher's named events alive after the launcher ends.
  // Another environment than the caller's own is never asked for; refusing it
  // is better than starting the child with the wrong one.
  if (environment != nullptr) return Fail(ERROR_NOT_SUPPORTED);
  *processInformation = PROCESS_INFORMATION{};

  // The child sees the command line as a Windows program would: its first
  // token is the program name (argv[0]), even when the caller put none there.
  const auto tokens = zv::kernel::SplitCommandLine(commandLine == nullptr ? u"" : commandLine);
  std::string program;
  if (applicationName != nullptr) {
    if (!zv::kernel::NativePathArgument(applicationName, program)) return FALSE;
  } else if (tokens.empty()) {
    return Fail(ERROR_INVALID_PARAMETER);
  } else {
    // Without an application name the first token names the program; it is
    // taken as a path, without searching.
    program = zv::NativePath(tokens.front());
  }
  std::vector<std::string> arguments;
  for (const auto& token : tokens) arguments.push_back(zv::ToUtf8(token));
  if (arguments.empty()) arguments.push_back(program);

  SpawnSetup setup;
  if ((startupInfo->dwFlags & STARTF_USESTDHANDLES) && !setup.SetStandardHandles(*startupInfo)) return FALSE;
  if (currentDirectory != nullptr) {
    std::string folder;
    if (!zv::kernel::NativePathArgument(currentDirectory, folder)) return FALSE;
    setup.SetFolder(folder);
  }
  pid_t pid = 0;
  if (const int err = setup.Spawn(program, arguments, pid); err != 0) {
    // A directory is no program: Windows reports access denied as exec does.
    zv::SetLastErrorFromErrno(err, program);
    return FALSE;
  }

  auto state = std::make_shared<ProcessState>(pid);
  try {
    StartReaper(state);
  } catch (const std::system_error&) {
    // Without a reaper the child would be left a zombie: undo the start.
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  processInformation->hProcess = zv::kernel::InsertHandle(std::make_shared<ProcessObject>(state));
  processInformation->hThread = zv::kernel::InsertHandle(std::make_shared<ProcessObject>(state));
  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = static_cast<DWORD>(pid);  // a process's main thread has its id
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  const auto object = zv::kernel::LookupHandle<ProcessObject>(process);
  if (!object) return FALSE;
  if (exitCode == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *exitCode = object->ExitCode();
  return TRUE;
}

void ExitProcess(UINT exitCode) {
  // Exit handlers and static destructors run. The parent sees only the low
  // 8 bits: ExitProcess(1314) arrives as 34.
  std::exit(static_cast<int>(exitCode));
}
