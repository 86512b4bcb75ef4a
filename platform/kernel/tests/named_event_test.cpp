// Machine-wide named events between real processes.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"
#include "windows.h"

namespace {

using kernel_test::Child;
using kernel_test::UniqueName;

constexpr DWORD kHangGuard = 60000;
constexpr const char* kAlreadyExists = "183";
constexpr const char* kCreated = "0";

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

struct Handle {
  HANDLE value;
  ~Handle() {
    if (value != nullptr) CloseHandle(value);
  }
};

TEST(KernelNamedEvents, ASecondCreatorInAnotherProcessFindsTheName) {
  const std::u16string name = u"Global\\" + UniqueName("guard");
  Handle mine{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
  ASSERT_NE(mine.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

  // "Local\" names the same machine-wide object.
  Child other(u"signal \"Local\\" + name.substr(7) + u"\"");
  ASSERT_TRUE(other.started());
  EXPECT_EQ(other.ReadLine(), kAlreadyExists);
  EXPECT_EQ(other.Finish(), 0u);
  // Its SetEvent reached this process's event.
  EXPECT_EQ(WaitForSingleObject(mine.value, kHangGuard), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(mine.value, 0), WAIT_TIMEOUT);
}

TEST(KernelNamedEvents, SetEventInAnotherProcessWakesAWaiter) {
  const std::u16string name = u"Global\\" + UniqueName("wake");
  Handle mine{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
  Handle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  DWORD result = WAIT_FAILED;
  // The guard's watcher: waiting for the named event or a stop event.
  std::thread watcher([&] {
    const HANDLE both[] = {mine.value, stop.value};
    result = WaitForMultipleObjects(2, both, FALSE, kHangGuard);
  });
  Child other(u"signal " + name);
  ASSERT_TRUE(other.started());
  EXPECT_EQ(other.ReadLine(), kAlreadyExists);
  watcher.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  EXPECT_EQ(other.Finish(), 0u);
}

TEST(KernelNamedEvents, InOneProcessTheSecondHandleSharesTheEvent) {
  const std::u16string name = UniqueName("same");
  Handle first{CreateEventW(nullptr, TRUE, FALSE, name.c_str())};
  ASSERT_NE(first.value, nullptr);
  // The existing event keeps its own settings (manual reset, not set).
  Handle second{CreateEventW(nullptr, FALSE, TRUE, name.c_str())};
  ASSERT_NE(second.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(WaitForSingleObject(first.value, 0), WAIT_TIMEOUT);
  SetEvent(second.value);
  EXPECT_EQ(WaitForSingleObject(first.value, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(first.value, 0), WAIT_OBJECT_0);

  // Once every handle is closed the name is free again, and a new event
  // starts with its creator's settings.
  CloseHandle(first.value);
  first.value = nullptr;
  CloseHandle(second.value);
  second.value = nullptr;
  Handle again{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(again.value, 0), WAIT_TIMEOUT);
}

TEST(KernelNamedEvents, TheNameDiesWithAHolderKilledBySigkill) {
  const std::u16string name = u"Global\\" + UniqueName("killed");
  Child holder(u"hold " + name);
  ASSERT_TRUE(holder.started());
  ASSERT_EQ(holder.ReadLine(), kCreated);
  {
    Handle mine{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  }
  ASSERT_EQ(kill(static_cast<pid_t>(holder.pid()), SIGKILL), 0);
  EXPECT_EQ(holder.Finish(), 128u + SIGKILL);
  // A killed holder released nothing itself; the name is free all the same,
  // and the event starts afresh, unset.
  Handle fresh{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
  ASSERT_NE(fresh.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(fresh.value, 0), WAIT_TIMEOUT);
}

TEST(KernelNamedEvents, AStartedChildDoesNotHoldItsParentsNames) {
  // The launcher starts the client and ends; the client must not keep the
  // launcher's guard name alive.
  const std::u16string name = u"Global\\" + UniqueName("parent");
  HANDLE mine = CreateEventW(nullptr, FALSE, FALSE, name.c_str());
  ASSERT_NE(mine, nullptr);
  Child child(u"hold " + UniqueName("child"));
  ASSERT_TRUE(child.started());
  ASSERT_EQ(child.ReadLine(), kCreated);
  CloseHandle(mine);
  Handle again{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  kill(static_cast<pid_t>(child.pid()), SIGKILL);
  child.Finish();
}

TEST(KernelNamedEvents, OfManyCreatorsAtOnceExactlyOneIsFirst) {
  const std::u16string name = UniqueName("race");
  std::vector<std::unique_ptr<Child>> holders;
  for (int i = 0; i < 8; ++i) holders.push_back(std::make_unique<Child>(u"hold " + name));
  int first = 0;
  for (auto& holder : holders) {
    ASSERT_TRUE(holder->started());
    const std::string result = holder->ReadLine();
    EXPECT_TRUE(result == kCreated || result == kAlreadyExists) << result;
    first += result == kCreated;
  }
  EXPECT_EQ(first, 1);
  for (auto& holder : holders) {
    kill(static_cast<pid_t>(holder->pid()), SIGKILL);
    holder->Finish();
  }
  Handle fresh{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(KernelNamedEvents, ProcessesOfDifferentUsersShareTheName) {
  if (geteuid() != 0) GTEST_SKIP() << "switching users needs root";
  const std::u16string name = u"Global\\" + UniqueName("users");
  const std::u16string go = UniqueName("go");
  Handle mine{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
  Handle goEvent{CreateEventW(nullptr, FALSE, FALSE, go.c_str())};
  ASSERT_EQ(GetLastError(), ERROR_SUCCESS);

  // The other user joins the name, outlives this process's handle and lets
  // go last.
  Child other(u"asuser 65534 holduntil " + name + u" " + go);
  ASSERT_TRUE(other.started());
  EXPECT_EQ(other.ReadLine(), kAlreadyExists) << Narrow(name);
  EXPECT_EQ(other.ReadLine(), kAlreadyExists);
  CloseHandle(mine.value);
  mine.value = nullptr;
  SetEvent(goEvent.value);
  EXPECT_EQ(other.Finish(), 0u);

  Handle again{CreateEventW(nullptr, FALSE, FALSE, name.c_str())};
  ASSERT_NE(again.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

  // And the other way round: the other user's waiter is woken from here.
  Child signaller(u"asuser 65534 signal " + name);
  EXPECT_EQ(signaller.ReadLine(), kAlreadyExists);
  EXPECT_EQ(signaller.Finish(), 0u);
  EXPECT_EQ(WaitForSingleObject(again.value, kHangGuard), WAIT_OBJECT_0);
}

}  // namespace
