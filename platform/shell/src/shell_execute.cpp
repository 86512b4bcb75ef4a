// ShellExecuteW: hands a web address or document to xdg-open, detached.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>

#include "shellapi.h"
#include "win/kernel.h"
#include "zv/errors.h"
#include "zv/text.h"

extern char** environ;

namespace {

// What Windows returns for a document that was handed over: any value above 32.
constexpr INT_PTR kHandedOver = 42;

bool IsOpenVerb(LPCWSTR operation) {
  return operation == nullptr || std::u16string_view(operation) == u"open";
}

HINSTANCE AsInstance(INT_PTR value) { return reinterpret_cast<HINSTANCE>(value); }

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
  if (file == nullptr || *file == 0) return AsInstance(ERROR_FILE_NOT_FOUND);
  if (!IsOpenVerb(operation)) return AsInstance(SE_ERR_NOASSOC);
  // The address goes over as it is: xdg-open takes one argument, and a file
  // path is not rewritten so that a web address keeps its backslashes.
  std::string target = zv::ToUtf8(file);
  char program[] = "xdg-open";
  char* argv[] = {program, target.data(), nullptr};
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A session of its own, so that the browser outlives us and our signals.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t child = 0;
  const int err = ::posix_spawnp(&child, program, nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (err != 0) {
    const DWORD code = zv::Win32ErrorFromErrno(err);
    SetLastError(code);
    // Values above 32 mean success, so any larger code is reported as a
    // program that could not be run.
    return AsInstance(code <= 32 ? code : ERROR_BAD_FORMAT);
  }
  // Nobody waits for the browser; a detached reaper keeps it from lingering
  // as a zombie once xdg-open has done its work.
  std::thread([child] {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return AsInstance(kHandedOver);
}
