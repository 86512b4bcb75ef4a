// Windows of another process: found with FindWindowW, sent and posted to,
// and gone cleanly when that process dies. The other process is a real one,
// running window_helper.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "recorder.h"

extern char** environ;

namespace {

using user_test::Recorder;

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

class Helper {
 public:
  Helper(const std::string& className, const std::string& title) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string path = ZV_USER_WINDOW_HELPER;
    std::string classArg = className;
    std::string titleArg = title;
    char* args[] = {path.data(), classArg.data(), titleArg.data(), nullptr};
    if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, args, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char line[16] = {};
    ready_ = pid_ > 0 && read(pipeFds[0], line, 6) == 6 && std::string(line) == "ready\n";
    close(pipeFds[0]);
  }
  ~Helper() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool Ready() const { return ready_; }
  pid_t Pid() const { return pid_; }
  void Kill() { kill(pid_, SIGKILL); }
  // The raw wait status.
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    return status;
  }

 private:
  pid_t pid_ = -1;
  bool ready_ = false;
  bool reaped_ = false;
};

class UserCrossProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    const std::string unique = std::to_string(getpid()) + "_" + std::to_string(++counter);
    className_ = "ZvHelper" + unique;
    title_ = "Zorvik " + unique;
  }

  std::string className_;
  std::string title_;
};

TEST_F(UserCrossProcessTest, FindsAndSendsToAWindowOfAnotherProcess) {
  Helper helper(className_, title_);
  ASSERT_TRUE(helper.Ready());
  const std::u16string className = Wide(className_);
  const std::u16string title = Wide(title_);
  const HWND hwnd = FindWindowW(className.c_str(), title.c_str());
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(FindWindowW(nullptr, title.c_str()), hwnd);
  EXPECT_EQ(FindWindowW(className.c_str(), nullptr), hwnd);
  EXPECT_EQ(FindWindowW(className.c_str(), u"Zorvik"), nullptr);
  EXPECT_EQ(FindWindowW((className + u"x").c_str(), title.c_str()), nullptr);

  DWORD process = 0;
  EXPECT_NE(GetWindowThreadProcessId(hwnd, &process), 0u);
  EXPECT_EQ(process, static_cast<DWORD>(helper.Pid()));
  EXPECT_TRUE(IsWindow(hwnd));
  WCHAR text[64];
  EXPECT_EQ(GetWindowTextW(hwnd, text, 64), static_cast<int>(title.size()));
  EXPECT_EQ(std::u16string(text), title);

  struct Case {
    UINT message;
    WPARAM wParam;
    LRESULT expected;
  };
  const Case cases[] = {
      {WM_APP + 1, 0, 1},
      {WM_APP + 1, 20, 41},
      {WM_APP + 1, 0x7FFFFFFF, 0xFFFFFFFF},
      {0xFF30, static_cast<WPARAM>(-5), 995},
      {WM_APP + 5, 0, 1},  // handled on the window's own thread
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SendMessageW(hwnd, c.message, c.wParam, 0), c.expected) << c.message;
  }

  // A message whose lParam points into this process's memory is refused.
  SetLastError(0);
  EXPECT_EQ(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"x")), 0);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  EXPECT_TRUE(PostMessageW(hwnd, WM_CLOSE, 0, 0));
  const int status = helper.Wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 5);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(UserCrossProcessTest, SendsBackAndForthBetweenProcessesDoNotLockUp) {
  Recorder::Get().Clear();
  const std::u16string localClass = Recorder::Get().RegisterClass();
  const HWND local = CreateWindowExW(0, localClass.c_str(), u"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                     nullptr, nullptr, nullptr);
  Recorder::Get().SetAnswer([](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_APP + 4) return static_cast<LRESULT>(wParam * 10);
    return std::nullopt;
  });
  Helper helper(className_, title_);
  ASSERT_TRUE(helper.Ready());
  const HWND hwnd = FindWindowW(Wide(className_).c_str(), nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(SendMessageW(hwnd, WM_APP + 3, 7, reinterpret_cast<LPARAM>(local)), 71);
  const auto log = Recorder::Get().Log({WM_APP + 4});
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].threadId, GetCurrentThreadId());
  DestroyWindow(local);
  Recorder::Get().Clear();
}

TEST_F(UserCrossProcessTest, AKilledProcessLeavesNoWindowAndSendsReturn) {
  Helper helper(className_, title_);
  ASSERT_TRUE(helper.Ready());
  const std::u16string className = Wide(className_);
  const HWND hwnd = FindWindowW(className.c_str(), nullptr);
  ASSERT_NE(hwnd, nullptr);
  helper.Kill();
  helper.Wait();

  EXPECT_EQ(FindWindowW(className.c_str(), nullptr), nullptr);
  // Its socket, which nobody serves any more, was cleared away by the lookup.
  struct stat info{};
  const std::string socket = "/tmp/zv-windows/" + std::to_string(helper.Pid()) + ".sock";
  EXPECT_NE(lstat(socket.c_str(), &info), 0);
  SetLastError(0);
  EXPECT_EQ(SendMessageW(hwnd, WM_APP + 1, 1, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(PostMessageW(hwnd, WM_APP + 1, 1, 0));
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(UserCrossProcessTest, ASendReturnsWhenTheProcessDiesWhileHandlingIt) {
  Helper helper(className_, title_);
  ASSERT_TRUE(helper.Ready());
  const HWND hwnd = FindWindowW(Wide(className_).c_str(), nullptr);
  ASSERT_NE(hwnd, nullptr);
  SetLastError(0);
  EXPECT_EQ(SendMessageW(hwnd, WM_APP + 2, 0, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  const int status = helper.Wait();
  EXPECT_TRUE(WIFSIGNALED(status));
}

}  // namespace
