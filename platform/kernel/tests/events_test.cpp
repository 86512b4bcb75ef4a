// Events and waits within one process.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/syscall.h>
#include <thread>

#include "test_support.h"
#include "windows.h"

namespace {

// Long enough never to end a correct wait; it only keeps a broken one from
// hanging the run.
constexpr DWORD kHangGuard = 60000;

struct Events {
  std::vector<HANDLE> handles;
  ~Events() {
    for (HANDLE h : handles) CloseHandle(h);
  }
  HANDLE Add(BOOL manual, BOOL initial, LPCWSTR name = nullptr) {
    handles.push_back(CreateEventW(nullptr, manual, initial, name));
    return handles.back();
  }
};

TEST(KernelEvents, ManualAndAutoResetSemantics) {
  struct Case { const char* name; BOOL manual; BOOL initial; DWORD first; DWORD second; };
  const Case cases[] = {
      {"auto reset, set: one wait takes it", FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},
      {"manual reset, set: stays set", TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},
      {"auto reset, not set", FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
      {"manual reset, not set", TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
  };
  for (const auto& c : cases) {
    Events events;
    const HANDLE event = events.Add(c.manual, c.initial);
    ASSERT_NE(event, nullptr) << c.name;
    EXPECT_EQ(WaitForSingleObject(event, 0), c.first) << c.name;
    EXPECT_EQ(WaitForSingleObject(event, 10), c.second) << c.name;
  }
  Events events;
  const HANDLE manual = events.Add(TRUE, FALSE);
  EXPECT_TRUE(SetEvent(manual));
  EXPECT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
}

TEST(KernelEvents, SetEventWakesAWaiterOnAnotherThread) {
  Events events;
  const HANDLE event = events.Add(FALSE, FALSE);
  DWORD result = WAIT_FAILED;
  std::thread waiter([&] { result = WaitForSingleObject(event, INFINITE); });
  EXPECT_TRUE(SetEvent(event));
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // taken by the waiter
}

// The system call a thread of this process is blocked in, or -1.
long BlockedInSyscall(pid_t thread) {
  std::ifstream in("/proc/self/task/" + std::to_string(thread) + "/syscall");
  long number = -1;
  in >> number;
  return number;
}

TEST(KernelEvents, AWaitingThreadSleepsInTheKernel) {
  // A waiter must sleep on the event's futex, not poll: seen from outside, it
  // is blocked in futex_waitv until the event is set.
  Events events;
  const HANDLE event = events.Add(FALSE, FALSE);
  std::atomic<pid_t> waiterId{0};
  std::thread waiter([&] {
    waiterId = static_cast<pid_t>(GetCurrentThreadId());
    WaitForSingleObject(event, INFINITE);
  });
  while (waiterId.load() == 0) std::this_thread::yield();
  int looks = 0;
  while (BlockedInSyscall(waiterId) != SYS_futex_waitv && looks++ < 10000) Sleep(1);
  EXPECT_EQ(BlockedInSyscall(waiterId), SYS_futex_waitv);
  SetEvent(event);
  waiter.join();
}

TEST(KernelEvents, EachSetReleasesOneWaiterOfAnAutoResetEvent) {
  Events events;
  const HANDLE event = events.Add(FALSE, FALSE);
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&] {
      if (WaitForSingleObject(event, kHangGuard) == WAIT_OBJECT_0) ++woken;
    });
  }
  for (int i = 0; i < 4; ++i) {
    SetEvent(event);
    // The next set only after this one was taken: two sets of a signalled
    // event count as one.
    while (woken.load() <= i) std::this_thread::yield();
  }
  for (auto& t : waiters) t.join();
  EXPECT_EQ(woken.load(), 4);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(KernelEvents, WaitForAnyReturnsTheFirstSignalledInOrder) {
  Events events;
  const HANDLE a = events.Add(FALSE, FALSE);
  const HANDLE b = events.Add(TRUE, TRUE);
  const HANDLE c = events.Add(FALSE, TRUE);
  const HANDLE list[] = {a, b, c};
  EXPECT_EQ(WaitForMultipleObjects(3, list, FALSE, 0), WAIT_OBJECT_0 + 1);
  ResetEvent(b);
  EXPECT_EQ(WaitForMultipleObjects(3, list, FALSE, 0), WAIT_OBJECT_0 + 2);
  EXPECT_EQ(WaitForMultipleObjects(3, list, FALSE, 10), WAIT_TIMEOUT);  // c was auto reset

  DWORD result = WAIT_FAILED;
  std::thread waiter([&] { result = WaitForMultipleObjects(3, list, FALSE, INFINITE); });
  SetEvent(c);
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0 + 2);
}

TEST(KernelEvents, WaitForAllTakesEverySignalOnlyTogether) {
  Events events;
  const HANDLE autoEvent = events.Add(FALSE, TRUE);
  const HANDLE manual = events.Add(TRUE, FALSE);
  const HANDLE list[] = {autoEvent, manual};
  EXPECT_EQ(WaitForMultipleObjects(2, list, TRUE, 0), WAIT_TIMEOUT);
  // The auto-reset event keeps its signal while the wait is not satisfied.
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
  SetEvent(autoEvent);

  DWORD result = WAIT_FAILED;
  std::thread waiter([&] { result = WaitForMultipleObjects(2, list, TRUE, INFINITE); });
  SetEvent(manual);
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
}

TEST(KernelEvents, BadWaitsFail) {
  Events events;
  const HANDLE event = events.Add(FALSE, FALSE);
  const HANDLE twice[] = {event, event};
  EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  kernel_test::ScratchFolder folder;
  const HANDLE file = CreateFileW(kernel_test::Wide(folder / "f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                  nullptr);
  const HANDLE notWaitable[] = {event, file};
  EXPECT_EQ(WaitForMultipleObjects(2, notWaitable, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(file);
  EXPECT_EQ(WaitForSingleObject(file, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(SetEvent(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(KernelEvents, UnnamedNamedAndProcessHandlesMixInOneWait) {
  Events events;
  const HANDLE stop = events.Add(TRUE, FALSE);
  const std::u16string name = u"Global\\" + kernel_test::UniqueName("mix");
  const HANDLE named = events.Add(FALSE, FALSE, name.c_str());
  ASSERT_NE(named, nullptr);
  kernel_test::Child child(u"exit 7 /dev/null");
  ASSERT_TRUE(child.started());
  const HANDLE list[] = {named, stop, child.process()};

  EXPECT_EQ(WaitForMultipleObjects(3, list, FALSE, kHangGuard), WAIT_OBJECT_0 + 2);
  SetEvent(stop);
  EXPECT_EQ(WaitForMultipleObjects(3, list, FALSE, kHangGuard), WAIT_OBJECT_0 + 1);
  SetEvent(named);
  EXPECT_EQ(WaitForMultipleObjects(3, list, FALSE, kHangGuard), WAIT_OBJECT_0);
  SetEvent(named);
  EXPECT_EQ(WaitForMultipleObjects(3, list, TRUE, kHangGuard), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(named, 0), WAIT_TIMEOUT);
}

}  // namespace
