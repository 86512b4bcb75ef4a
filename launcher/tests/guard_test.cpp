// The single-instance guard between real processes, under the launcher's own
// guard name (these tests hold a ctest lock on it).
#include "child_process.h"
#include "launcher/singleton_exe.h"

#include "TestServer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>

namespace {

using zv::test::TempDir;

constexpr int kSecondInstanceExit = 1314 % 256;  // ExitProcess(1314) as a parent sees it

class Guard : public testing::Test {
 protected:
  void SetUp() override {
    // launcher.dat beside the probe shows which process got past the guard
    // and read its settings.
    std::filesystem::copy_file(LAUNCHER_PROBE_PATH, dir_.path() + "/probe");
    WriteFileText(dir_.path() + "/launcher.dat", R"({"id":42})");
  }

  std::unique_ptr<ChildProcess> StartHolder() {
    auto holder = std::make_unique<ChildProcess>(Args(), dir_.path());
    EXPECT_TRUE(holder->WaitForOutput("oem id 42\n"));
    return holder;
  }

  std::vector<std::string> Args() const { return {dir_.path() + "/probe", "guard", "ZvLauncher"}; }

  TempDir dir_;
};

TEST_F(Guard, SecondInstanceEndsBeforeReadingSettingsAndTheFirstNotesEachStart) {
  auto first = StartHolder();

  const Finished second = RunToEnd(Args(), dir_.path());
  EXPECT_EQ(second.exitCode, kSecondInstanceExit);
  EXPECT_EQ(second.output, "has a exe running!\n");
  EXPECT_TRUE(first->WaitForOutput("has other exe want to run\n", 1));

  EXPECT_EQ(RunToEnd(Args(), dir_.path()).exitCode, kSecondInstanceExit);
  EXPECT_TRUE(first->WaitForOutput("has other exe want to run\n", 2));

  first->CloseInput();
  EXPECT_EQ(first->Wait(), 0);
  EXPECT_EQ(first->Output(), "oem id 42\nhas other exe want to run\nhas other exe want to run\n");
}

TEST_F(Guard, IsFreeAgainOnceTheHolderEndsOrIsKilled) {
  auto first = StartHolder();
  first->CloseInput();
  ASSERT_EQ(first->Wait(), 0);

  auto second = StartHolder();
  second->Kill();
  second->Wait();

  auto third = StartHolder();
  third->CloseInput();
  EXPECT_EQ(third->Wait(), 0);
  EXPECT_EQ(third->Output(), "oem id 42\n");
}

// In one process: a later opener of the same name wakes the watcher, and
// destroying the guard stops and joins it.
TEST(GuardInProcess, WatcherNotesEachSignalAndStopsWithTheGuard) {
  const std::string pid = std::to_string(getpid());
  const std::u16string name = u"ZvGuardTest-" + std::u16string(pid.begin(), pid.end());
  std::atomic<int> calls{0};
  {
    SingletonExe guard;
    guard.SetOtherInstanceHandler([&] { ++calls; });
    guard.Acquire(name);
    const HANDLE other = CreateEventW(nullptr, FALSE, FALSE, (u"Global\\" + name).c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    SetEvent(other);
    EXPECT_TRUE(Eventually([&] { return calls.load() == 1; }));
    SetEvent(other);
    EXPECT_TRUE(Eventually([&] { return calls.load() == 2; }));
    CloseHandle(other);
  }
  EXPECT_EQ(calls.load(), 2);
}

// A wait that fails (here on handles that do not exist) ends the watcher at
// once instead of spinning on the same failure; nothing is reported.
TEST(GuardWatcher, EndsOnAFailedWait) {
  int calls = 0;
  WatchForOthers(nullptr, nullptr, [&] { ++calls; });
  EXPECT_EQ(calls, 0);
}

TEST(GuardWatcher, CallsTheHandlerPerSignalAndEndsOnStop) {
  const HANDLE guardEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const HANDLE stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(guardEvent && stopEvent);
  int calls = 0;
  std::thread watcher(WatchForOthers, guardEvent, stopEvent, [&] {
    if (++calls == 2) SetEvent(stopEvent);
    else SetEvent(guardEvent);
  });
  SetEvent(guardEvent);
  watcher.join();
  EXPECT_EQ(calls, 2);
  CloseHandle(guardEvent);
  CloseHandle(stopEvent);
}

}  // namespace
