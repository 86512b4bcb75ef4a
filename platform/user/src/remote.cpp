#include "remote.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "handles.h"
#include "internal.h"
#include "state.h"
#include "win/kernel.h"

namespace zv::user::remote {
namespace {

// Machine-wide, like the named events of the kernel part: every user's
// processes must be able to reach every other's windows.
constexpr char kFolder[] = "/tmp/zv-windows";
// Texts longer than this are refused on the wire; no class name or title
// comes close.
constexpr std::int32_t kMaxText = 32768;
// How long a lookup waits for a process that accepted the connection but
// does not answer (stopped, say), so that FindWindowW never hangs on it.
constexpr int kLookupTimeoutSeconds = 5;

enum Op : std::uint32_t { kFind = 1, kQuery = 2, kSend = 3, kPost = 4 };

struct Request {
  std::uint32_t op;
  std::uint32_t message;
  std::uint64_t hwnd;
  std::uint64_t wParam;
  std::int64_t lParam;
  std::int32_t classLength;  // -1: no class given
  std::int32_t titleLength;  // -1: no title given
};

struct Reply {
  std::int64_t value;
  std::uint32_t ok;
  std::uint32_t threadId;
  std::uint32_t error;
  std::int32_t textLength;
};

std::string SocketPath(DWORD processId) {
  return std::string(kFolder) + "/" + std::to_string(processId) + ".sock";
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = send(fd, bytes, size, MSG_NOSIGNAL);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = recv(fd, bytes, size, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool WriteText(int fd, const std::u16string* text) {
  return text == nullptr || WriteAll(fd, text->data(), text->size() * sizeof(char16_t));
}

bool ReadText(int fd, std::int32_t length, std::optional<std::u16string>* text) {
  if (length < 0) return true;
  if (length > kMaxText) return false;
  std::u16string read(static_cast<std::size_t>(length), u'\0');
  if (!ReadAll(fd, read.data(), read.size() * sizeof(char16_t))) return false;
  *text = std::move(read);
  return true;
}

std::int32_t LengthOf(const std::u16string* text) {
  return text ? static_cast<std::int32_t>(text->size()) : -1;
}

void SetTimeout(int fd, int seconds) {
  const timeval timeout{seconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

// ---- serving this process's windows ----

Reply Answer(const Request& request, const std::optional<std::u16string>& className,
             const std::optional<std::u16string>& title, std::u16string* text) {
  Reply reply{0, 0, 0, ERROR_SUCCESS, -1};
  const auto hwnd = reinterpret_cast<HWND>(request.hwnd);
  // Only this process's own windows are served; anything else would let a
  // request bounce between processes.
  const bool local = hwnd != nullptr && IsLocalHandle(hwnd);
  switch (request.op) {
    case kFind: {
      const HWND found = FindLocalTopLevel(className ? &*className : nullptr,
                                           title ? &*title : nullptr);
      reply.value = static_cast<std::int64_t>(reinterpret_cast<ULONG_PTR>(found));
      reply.ok = found != nullptr;
      break;
    }
    case kQuery: {
      const auto window = local ? FindRecord(hwnd) : nullptr;
      if (!window) break;
      State& state = State::Get();
      std::lock_guard<std::mutex> lock(state.mutex);
      reply.ok = 1;
      reply.threadId = window->threadId;
      *text = window->text;
      reply.textLength = static_cast<std::int32_t>(std::min<std::size_t>(text->size(), kMaxText));
      text->resize(static_cast<std::size_t>(reply.textLength));
      break;
    }
    case kSend: {
      if (!local || CarriesPointer(request.message)) {
        reply.error = local ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE;
        break;
      }
      LRESULT result = 0;
      reply.ok = SendToLocalWindow(hwnd, request.message, request.wParam, request.lParam,
                                   std::nullopt, &result);
      reply.value = result;
      if (!reply.ok) reply.error = GetLastError();
      break;
    }
    case kPost: {
      if (!local || CarriesPointer(request.message)) {
        reply.error = local ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE;
        break;
      }
      reply.ok = PostMessageW(hwnd, request.message, request.wParam, request.lParam);
      if (!reply.ok) reply.error = GetLastError();
      break;
    }
    default:
      reply.error = ERROR_INVALID_PARAMETER;
  }
  return reply;
}

// One connection, one request, one reply.
void Serve(int fd) {
  Request request{};
  std::optional<std::u16string> className;
  std::optional<std::u16string> title;
  SetTimeout(fd, kLookupTimeoutSeconds);
  if (ReadAll(fd, &request, sizeof request) && ReadText(fd, request.classLength, &className) &&
      ReadText(fd, request.titleLength, &title)) {
    std::u16string text;
    const Reply reply = Answer(request, className, title, &text);
    if (WriteAll(fd, &reply, sizeof reply)) WriteText(fd, reply.textLength >= 0 ? &text : nullptr);
  }
  close(fd);
}

void AcceptLoop(int listenFd) {
  for (;;) {
    const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    std::thread(Serve, fd).detach();
  }
}

// The folder exists, is a real folder (not a link planted by someone) and
// anybody may put a socket in it.
bool PrepareFolder() {
  if (mkdir(kFolder, 0777) == 0) {
    chmod(kFolder, 01777);
  } else if (errno != EEXIST) {
    return false;
  }
  struct stat info{};
  return lstat(kFolder, &info) == 0 && S_ISDIR(info.st_mode);
}

void RemoveOwnSocket() { unlink(SocketPath(static_cast<DWORD>(getpid())).c_str()); }

// The socket appears under its final name only once it listens, so that a
// lookup never takes a socket that is still being set up for a stale one.
void StartServing() {
  if (!PrepareFolder()) return;
  const DWORD processId = static_cast<DWORD>(getpid());
  const std::string path = SocketPath(processId);
  const std::string temporary = path + ".new";
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  unlink(temporary.c_str());
  const sockaddr_un address = AddressOf(temporary);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      chmod(temporary.c_str(), 0666) != 0 || listen(fd, 64) != 0 ||
      rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    close(fd);
    return;
  }
  std::atexit(RemoveOwnSocket);
  std::thread(AcceptLoop, fd).detach();
}

// ---- asking other processes ----

// A connection to the process's window server, or -1. A socket that nobody
// serves any more belonged to a process that died: it is removed, so that it
// does not slow down later lookups.
int Connect(DWORD processId) {
  if (processId == 0) return -1;
  const std::string path = SocketPath(processId);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const sockaddr_un address = AddressOf(path);
  int result;
  do {
    result = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    if (errno == ECONNREFUSED) unlink(path.c_str());
    close(fd);
    return -1;
  }
  return fd;
}

bool SendRequest(int fd, const Request& request, const std::u16string* className,
                 const std::u16string* title) {
  return WriteAll(fd, &request, sizeof request) && WriteText(fd, className) &&
         WriteText(fd, title);
}

bool ReadReply(int fd, Reply* reply, std::u16string* text) {
  std::optional<std::u16string> read;
  if (!ReadAll(fd, reply, sizeof *reply) || !ReadText(fd, reply->textLength, &read)) return false;
  if (text && read) *text = std::move(*read);
  return true;
}

// A lookup that does not involve any window procedure: bounded in time.
bool Ask(DWORD processId, const Request& request, const std::u16string* className,
         const std::u16string* title, Reply* reply, std::u16string* text) {
  const int fd = Connect(processId);
  if (fd < 0) return false;
  SetTimeout(fd, kLookupTimeoutSeconds);
  const bool ok = SendRequest(fd, request, className, title) && ReadReply(fd, reply, text);
  close(fd);
  return ok;
}

Request MakeRequest(Op op, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                    const std::u16string* className, const std::u16string* title) {
  return Request{op, message, static_cast<std::uint64_t>(reinterpret_cast<ULONG_PTR>(hwnd)),
                 wParam, lParam, LengthOf(className), LengthOf(title)};
}

}  // namespace

void EnsureServing() {
  static std::once_flag once;
  std::call_once(once, StartServing);
}

HWND FindElsewhere(const std::u16string* className, const std::u16string* title) {
  DIR* folder = opendir(kFolder);
  if (folder == nullptr) return nullptr;
  const DWORD self = static_cast<DWORD>(getpid());
  const Request request = MakeRequest(kFind, nullptr, 0, 0, 0, className, title);
  HWND found = nullptr;
  while (found == nullptr) {
    const dirent* entry = readdir(folder);
    if (entry == nullptr) break;
    char* end = nullptr;
    const unsigned long processId = std::strtoul(entry->d_name, &end, 10);
    if (end == entry->d_name || std::strcmp(end, ".sock") != 0 || processId == self ||
        processId > 0xFFFFFFFFul) {
      continue;
    }
    Reply reply{};
    // A reply naming a window of some other process is not believed.
    if (Ask(static_cast<DWORD>(processId), request, className, title, &reply, nullptr) &&
        reply.ok) {
      const auto hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(reply.value));
      if (HandleProcess(hwnd) == processId) found = hwnd;
    }
  }
  closedir(folder);
  return found;
}

bool Query(HWND hwnd, WindowFacts* facts) {
  const Request request = MakeRequest(kQuery, hwnd, 0, 0, 0, nullptr, nullptr);
  Reply reply{};
  if (!Ask(HandleProcess(hwnd), request, nullptr, nullptr, &reply, &facts->text) || !reply.ok) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  facts->threadId = reply.threadId;
  return true;
}

bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
          std::optional<Clock::time_point> deadline, LRESULT* result) {
  if (CarriesPointer(message)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  const int fd = Connect(HandleProcess(hwnd));
  if (fd < 0) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  const Request request = MakeRequest(kSend, hwnd, message, wParam, lParam, nullptr, nullptr);
  bool answered = false;
  Reply reply{};
  if (SendRequest(fd, request, nullptr, nullptr)) {
    const auto own = CurrentQueue();
    for (;;) {
      if (HandleIncomingSends(*own)) continue;
      std::optional<Clock::duration> timeout;
      if (deadline) {
        const auto now = Clock::now();
        if (now >= *deadline) break;
        timeout = *deadline - now;
      }
      // The reply, or the end of the connection when the process dies.
      if (own->Wait(timeout, fd, -1)) {
        answered = ReadReply(fd, &reply, nullptr);
        break;
      }
    }
  }
  close(fd);
  if (!answered) {
    SetLastError(deadline && Clock::now() >= *deadline ? ERROR_TIMEOUT
                                                       : ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (!reply.ok) {
    SetLastError(reply.error);
    return false;
  }
  *result = static_cast<LRESULT>(reply.value);
  return true;
}

BOOL Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (CarriesPointer(message)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const Request request = MakeRequest(kPost, hwnd, message, wParam, lParam, nullptr, nullptr);
  Reply reply{};
  if (!Ask(HandleProcess(hwnd), request, nullptr, nullptr, &reply, nullptr)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!reply.ok) {
    SetLastError(reply.error);
    return FALSE;
  }
  return TRUE;
}

bool CarriesPointer(UINT message) {
  switch (message) {
    case WM_CREATE:
    case WM_NCCREATE:
    case WM_NCCALCSIZE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETMINMAXINFO:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_NOTIFY:
    case WM_HELP:
      return true;
    default:
      return false;
  }
}

}  // namespace zv::user::remote
