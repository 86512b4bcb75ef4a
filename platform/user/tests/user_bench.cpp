// Figures for the message paths: posting and retrieving on one thread, a
// send to another thread, and a lookup and a send to another process.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include <windows.h>

extern char** environ;

namespace {

LRESULT Answer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) return static_cast<LRESULT>(2 * wParam + 1);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

const char16_t* BenchClass() {
  static const std::u16string name = [] {
    const std::string narrow = "ZvBench" + std::to_string(getpid());
    std::u16string wide(narrow.begin(), narrow.end());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Answer;
    wc.lpszClassName = wide.c_str();
    RegisterClassExW(&wc);
    return wide;
  }();
  return name.c_str();
}

HWND MakeWindow() {
  return CreateWindowExW(0, BenchClass(), u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                         nullptr);
}

void PostAndGet(benchmark::State& state) {
  const HWND hwnd = MakeWindow();
  MSG msg;
  for (auto _ : state) {
    PostMessageW(hwnd, WM_APP + 1, 1, 0);
    GetMessageW(&msg, nullptr, 0, 0);
    benchmark::DoNotOptimize(DispatchMessageW(&msg));
  }
  DestroyWindow(hwnd);
}
BENCHMARK(PostAndGet);

void SendToAnotherThread(benchmark::State& state) {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND target = nullptr;
  DWORD thread = 0;
  std::thread owner([&] {
    target = MakeWindow();
    thread = GetCurrentThreadId();
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(target);
  });
  WaitForSingleObject(ready, INFINITE);
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(target, WM_APP + 1, 3, 0));
  PostThreadMessageW(thread, WM_QUIT, 0, 0);
  owner.join();
  CloseHandle(ready);
}
BENCHMARK(SendToAnotherThread);

// A helper process with one window; the benchmark finds it and sends to it.
class HelperProcess {
 public:
  explicit HelperProcess(const std::string& className) {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::string path = ZV_USER_WINDOW_HELPER;
    std::string classArg = className;
    std::string title = "bench";
    char* args[] = {path.data(), classArg.data(), title.data(), nullptr};
    if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, args, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char line[8];
    [[maybe_unused]] const ssize_t got = read(fds[0], line, 6);
    close(fds[0]);
  }
  ~HelperProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
};

void FindAndSendToAnotherProcess(benchmark::State& state) {
  const std::string narrow = "ZvBenchHelper" + std::to_string(getpid());
  const std::u16string className(narrow.begin(), narrow.end());
  HelperProcess helper(narrow);
  for (auto _ : state) {
    const HWND hwnd = FindWindowW(className.c_str(), u"bench");
    benchmark::DoNotOptimize(SendMessageW(hwnd, WM_APP + 1, 3, 0));
  }
}
BENCHMARK(FindAndSendToAnotherProcess);

}  // namespace

BENCHMARK_MAIN();
