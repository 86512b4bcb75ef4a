// Message queues: order of sent, posted, quit and timer messages, filters,
// dispatching, and sending between threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "recorder.h"

namespace {

using user_test::Recorder;

class UserMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorder::Get().Clear();
    className_ = Recorder::Get().RegisterClass();
    ASSERT_FALSE(className_.empty());
    hwnd_ = CreateWindow();
    ASSERT_NE(hwnd_, nullptr);
    Drain();
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    Drain();
    Recorder::Get().Clear();
  }

  HWND CreateWindow() {
    return CreateWindowExW(0, className_.c_str(), u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
  }

  // Empties the calling thread's queue, quit request included.
  static void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  std::u16string className_;
  HWND hwnd_ = nullptr;
};

TEST_F(UserMessagesTest, SentMessagesAreHandledBeforePostedOnes) {
  HANDLE queued = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread sender([&] {
    PostMessageW(hwnd_, WM_USER + 1, 0, 0);
    // A zero timeout leaves the message queued without waiting for it.
    DWORD_PTR result = 0;
    EXPECT_FALSE(SendMessageTimeoutW(hwnd_, WM_USER + 2, 0, 0, SMTO_NORMAL, 0, &result));
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    SetEvent(queued);
  });
  ASSERT_EQ(WaitForSingleObject(queued, INFINITE), 0u);
  sender.join();
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  const auto log = Recorder::Get().Log({WM_USER + 1, WM_USER + 2});
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].message, WM_USER + 2u);
  EXPECT_EQ(log[0].threadId, GetCurrentThreadId());
  CloseHandle(queued);
}

TEST_F(UserMessagesTest, QuitComesOnlyAfterThePostedMessages) {
  PostQuitMessage(3);
  PostMessageW(hwnd_, WM_USER, 1, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 2, 0);
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.hwnd, hwnd_);
  EXPECT_EQ(msg.message, WM_USER);
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, WM_APP);
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserMessagesTest, PeekHonoursFiltersAndNoRemove) {
  const HWND other = CreateWindow();
  PostMessageW(hwnd_, WM_USER + 5, 0, 0);
  PostMessageW(other, WM_USER + 6, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 7, 0, 0);
  struct Case {
    HWND hwnd;
    UINT min;
    UINT max;
    UINT expected;  // 0: nothing
  };
  const Case cases[] = {
      {nullptr, 0, 0, WM_USER + 5},
      {other, 0, 0, WM_USER + 6},
      {reinterpret_cast<HWND>(-1), 0, 0, WM_USER + 7},
      {nullptr, WM_USER + 6, WM_USER + 7, WM_USER + 6},
      {hwnd_, WM_USER + 6, WM_USER + 7, 0},
      {nullptr, WM_APP, WM_APP + 10, 0},
  };
  MSG msg;
  for (const Case& c : cases) {
    const BOOL found = PeekMessageW(&msg, c.hwnd, c.min, c.max, PM_NOREMOVE);
    EXPECT_EQ(found != FALSE, c.expected != 0);
    if (found) {
      EXPECT_EQ(msg.message, c.expected);
    }
  }
  // Nothing was removed: all three are still there, in order.
  for (UINT expected : {WM_USER + 5, WM_USER + 6, WM_USER + 7}) {
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, expected);
  }
  SetLastError(0);
  DestroyWindow(other);
  EXPECT_EQ(GetMessageW(&msg, other, 0, 0), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(UserMessagesTest, TimersFireOnlyWhenNothingElseIsQueued) {
  ASSERT_EQ(SetTimer(hwnd_, 7, USER_TIMER_MINIMUM, nullptr), 7u);
  Sleep(3 * USER_TIMER_MINIMUM);  // let the timer come due while messages wait
  PostMessageW(hwnd_, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_USER);
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.hwnd, hwnd_);
  EXPECT_EQ(msg.wParam, 7u);
  DispatchMessageW(&msg);
  EXPECT_EQ(Recorder::Get().Log({WM_TIMER}).size(), 1u);

  // Once killed, it never fires again.
  EXPECT_TRUE(KillTimer(hwnd_, 7));
  EXPECT_FALSE(KillTimer(hwnd_, 7));
  Sleep(3 * USER_TIMER_MINIMUM);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserMessagesTest, GetMessageWaitsForATimerThatIsNotYetDue) {
  const UINT_PTR id = SetTimer(nullptr, 0, 50, nullptr);
  ASSERT_NE(id, 0u);
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, id);
  EXPECT_TRUE(KillTimer(nullptr, id));
}

std::atomic<int> timerCalls{0};
void CountTimer(HWND, UINT message, UINT_PTR, DWORD) {
  if (message == WM_TIMER) ++timerCalls;
}

TEST_F(UserMessagesTest, TimerCallbacksRunOnlyForTheirOwnTimers) {
  timerCalls = 0;
  ASSERT_NE(SetTimer(hwnd_, 3, USER_TIMER_MINIMUM, &CountTimer), 0u);
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  ASSERT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(&CountTimer));
  DispatchMessageW(&msg);
  EXPECT_EQ(timerCalls, 1);
  EXPECT_TRUE(Recorder::Get().Log({WM_TIMER}).empty());
  KillTimer(hwnd_, 3);

  // A WM_TIMER made up by anybody does not get its lParam called.
  const MSG forged{hwnd_, WM_TIMER, 3, reinterpret_cast<LPARAM>(&CountTimer), 0, {0, 0}};
  DispatchMessageW(&forged);
  EXPECT_EQ(timerCalls, 1);
}

TEST_F(UserMessagesTest, DestroyingAWindowDropsItsMessagesAndTimers) {
  const HWND other = CreateWindow();
  SetTimer(other, 1, USER_TIMER_MINIMUM, nullptr);
  PostMessageW(other, WM_USER, 0, 0);
  PostMessageW(hwnd_, WM_USER + 1, 0, 0);
  DestroyWindow(other);
  Sleep(3 * USER_TIMER_MINIMUM);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, hwnd_);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserMessagesTest, PostingToDeadWindowsFailsAndNullPostsToTheThread) {
  const HWND dead = CreateWindow();
  DestroyWindow(dead);
  BOOL posted = TRUE;
  DWORD error = 0;
  std::thread([&] {
    posted = PostMessageW(dead, WM_USER, 0, 0);
    error = GetLastError();
  }).join();
  EXPECT_FALSE(posted);
  EXPECT_EQ(error, ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(SendMessageW(dead, WM_USER, 0, 0), 0);

  EXPECT_TRUE(PostMessageW(nullptr, WM_APP + 3, 0, 0));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_APP + 3);
  EXPECT_FALSE(PostThreadMessageW(0xFFFFFFF0u, WM_APP, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST_F(UserMessagesTest, PostsFromOtherThreadsWakeAWaitingGetMessage) {
  std::thread poster([&] {
    for (WPARAM i = 0; i < 100; ++i) PostMessageW(hwnd_, WM_USER, i, 0);
  });
  MSG msg;
  for (WPARAM i = 0; i < 100; ++i) {
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, i);
  }
  poster.join();
}

TEST_F(UserMessagesTest, SendsBetweenTwoThreadsInBothDirectionsDoNotLockUp) {
  // The main thread sends to a window of the worker; while handling it, the
  // worker sends back to the main thread's window, which must be handled
  // while the main thread waits for its own send.
  Recorder::Get().SetAnswer([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
                                -> std::optional<LRESULT> {
    if (message == WM_USER + 10) {
      return 100 + SendMessageW(reinterpret_cast<HWND>(lParam), WM_USER + 11, wParam, 0);
    }
    if (message == WM_USER + 11) return static_cast<LRESULT>(wParam * 2);
    return std::nullopt;
  });
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<HWND> remote{nullptr};
  std::thread worker([&] {
    remote = CreateWindow();
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(remote);
  });
  ASSERT_EQ(WaitForSingleObject(ready, INFINITE), 0u);
  EXPECT_EQ(SendMessageW(remote, WM_USER + 10, 21, reinterpret_cast<LPARAM>(hwnd_)), 142);
  DWORD workerThread = GetWindowThreadProcessId(remote, nullptr);
  PostThreadMessageW(workerThread, WM_QUIT, 0, 0);
  worker.join();
  const auto log = Recorder::Get().Log({WM_USER + 10, WM_USER + 11});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].threadId, workerThread);
  EXPECT_EQ(log[1].threadId, GetCurrentThreadId());
  CloseHandle(ready);
}

TEST_F(UserMessagesTest, AWindowGoesWithItsThreadAndSendsToItReturn) {
  HWND orphan = nullptr;
  std::thread([&] { orphan = CreateWindow(); }).join();
  EXPECT_FALSE(IsWindow(orphan));
  SetLastError(0);
  EXPECT_EQ(SendMessageW(orphan, WM_USER, 0, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(UserMessagesTest, ASendWaitingWhenTheThreadEndsReturns) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<HWND> target{nullptr};
  std::thread owner([&] {
    target = CreateWindow();
    SetEvent(created);
    // Never looks at its queue again, and ends.
    WaitForSingleObject(release, INFINITE);
  });
  ASSERT_EQ(WaitForSingleObject(created, INFINITE), 0u);
  std::thread sender([&] { EXPECT_EQ(SendMessageW(target, WM_USER, 0, 0), 0); });
  Sleep(50);  // gives the send time to be queued before the owner ends
  SetEvent(release);
  owner.join();
  sender.join();
  EXPECT_TRUE(Recorder::Get().Log({WM_USER}).empty());
  CloseHandle(release);
  CloseHandle(created);
}

TEST_F(UserMessagesTest, TranslateMessageMakesCharactersOfLayoutFreeKeys) {
  struct Case {
    UINT message;
    WPARAM key;
    UINT character;  // 0: none expected
    WPARAM value;
  };
  const Case cases[] = {
      {WM_KEYDOWN, VK_RETURN, WM_CHAR, 0x0D},
      {WM_KEYDOWN, VK_ESCAPE, WM_CHAR, 0x1B},
      {WM_SYSKEYDOWN, VK_SPACE, WM_SYSCHAR, 0x20},
      {WM_KEYUP, VK_RETURN, 0, 0},
      {WM_KEYDOWN, VK_F1, 0, 0},
  };
  for (const Case& c : cases) {
    const MSG key{hwnd_, c.message, c.key, 1, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG msg;
    const BOOL found = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(found != FALSE, c.character != 0);
    if (found) {
      EXPECT_EQ(msg.message, c.character);
      EXPECT_EQ(msg.wParam, c.value);
    }
  }
  const MSG other{hwnd_, WM_USER, 0, 0, 0, {0, 0}};
  EXPECT_FALSE(TranslateMessage(&other));
}

TEST_F(UserMessagesTest, PostingStopsAtTheQueueLimit) {
  BOOL posted = TRUE;
  int count = 0;
  while ((posted = PostMessageW(hwnd_, WM_USER, 0, 0)) && count < 20000) ++count;
  EXPECT_FALSE(posted);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
  EXPECT_EQ(count, 10000);
}

}  // namespace
