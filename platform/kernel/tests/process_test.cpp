// CreateProcessW, exit codes and GetExitCodeProcess with the real child.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"
#include "windows.h"

namespace {

using kernel_test::Child;
using kernel_test::ReadText;
using kernel_test::ScratchFolder;
using kernel_test::Wide;

std::vector<std::string> ArgumentsSeen(const std::u16string& commandLine) {
  Child child(commandLine);
  std::vector<std::string> seen;
  if (!child.started()) return seen;
  for (std::string line = child.ReadLine(); line.size() >= 2; line = child.ReadLine()) {
    seen.push_back(line.substr(1, line.size() - 2));
  }
  EXPECT_EQ(child.Finish(), 0u) << std::string(commandLine.begin(), commandLine.end());
  return seen;
}

TEST(KernelProcess, TheChildSeesItsCommandLineSplitAsOnWindows) {
  struct Case { std::u16string commandLine; std::vector<std::string> arguments; };
  const Case cases[] = {
      // The launcher's own form: no program name, so the first token is argv[0].
      {u"args -show -oemid:25", {"args", "-show", "-oemid:25"}},
      {u"args -show -oemid:-4", {"args", "-show", "-oemid:-4"}},
      {u"args \"abc\" d e", {"args", "abc", "d", "e"}},
      {u"args a\\\\b d\"e f\"g h", {"args", "a\\\\b", "de fg", "h"}},
      {u"args a\\\\\\\"b c d", {"args", "a\\\"b", "c", "d"}},
      {u"args a\\\\\\\\\"b c\" d e", {"args", "a\\\\b c", "d", "e"}},
      {u"args a\"b\"\" c d", {"args", "ab\"", "c", "d"}},
      {u"args  \t spaced\targs ", {"args", "spaced", "args"}},
      {u"\"args\" x\\y\\", {"args", "x\\y\\"}},
      {u"args \u66f4\u65b0 \"\"", {"args", "\xe6\x9b\xb4\xe6\x96\xb0", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArgumentsSeen(c.commandLine), c.arguments) << std::string(c.commandLine.begin(), c.commandLine.end());
  }
}

TEST(KernelProcess, EmptyStandardHandlesMeanDevNull) {
  ScratchFolder folder;
  const auto report = folder / "stdio.txt";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = 1;
  PROCESS_INFORMATION info{};
  std::u16string commandLine = u"stdio " + Wide(report);
  ASSERT_TRUE(CreateProcessW(Wide(std::string(ZV_KERNEL_CHILD)).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                             0, nullptr, nullptr, &startup, &info));
  EXPECT_NE(info.dwProcessId, 0u);
  ASSERT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_EQ(ReadText(report), "/dev/null\n/dev/null\n/dev/null\n");
}

TEST(KernelProcess, EnvironmentAndCurrentFolderAreInherited) {
  ASSERT_EQ(setenv("ZV_KERNEL_TEST_VALUE", "inherited", 1), 0);
  Child env(u"env ZV_KERNEL_TEST_VALUE");
  EXPECT_EQ(env.ReadLine(), "inherited");
  EXPECT_EQ(env.Finish(), 0u);
  Child cwd(u"cwd");
  EXPECT_EQ(cwd.ReadLine(), std::filesystem::current_path().string());
  EXPECT_EQ(cwd.Finish(), 0u);
}

TEST(KernelProcess, WhatCannotRunFailsAndStartsNothing) {
  ScratchFolder folder;
  kernel_test::WriteText(folder / "data.txt", "not a program");
  std::filesystem::create_directory(folder / "Zorvik.exe");
  struct Case { std::filesystem::path program; DWORD error; };
  const Case cases[] = {
      {folder / "missing.exe", ERROR_FILE_NOT_FOUND},
      {folder / "none" / "missing.exe", ERROR_PATH_NOT_FOUND},
      {folder / "data.txt", ERROR_ACCESS_DENIED},
      {folder / "Zorvik.exe", ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION info{};
    std::u16string commandLine = u"-show -oemid:1";
    EXPECT_FALSE(CreateProcessW(Wide(c.program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &info))
        << c.program;
    EXPECT_EQ(GetLastError(), c.error) << c.program;
    EXPECT_EQ(info.hProcess, nullptr);
    EXPECT_EQ(info.hThread, nullptr);
    // What the launcher does after a failed start: both closes fail quietly.
    EXPECT_FALSE(CloseHandle(info.hProcess));
    EXPECT_FALSE(CloseHandle(info.hThread));
  }
}

TEST(KernelProcess, ExitCodesKeepTheirLowEightBitsAndExitHandlersRun) {
  ScratchFolder folder;
  struct Case { const char* code; DWORD seen; };
  // 1314 (a refused second launcher) arrives as 1314 mod 256.
  const Case cases[] = {{"0", 0}, {"1", 1}, {"1314", 34}};
  for (const auto& c : cases) {
    const auto report = folder / (std::string("exit-") + c.code);
    Child child(u"exit " + Wide(std::string(c.code)) + u" " + Wide(report));
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.Finish(), c.seen) << c.code;
    EXPECT_EQ(ReadText(report), "exit handlers ran") << c.code;
  }
}

TEST(KernelProcess, ARunningChildIsStillActiveAndNeverLeftAZombie) {
  const std::u16string name = kernel_test::UniqueName("active");
  Child child(u"hold " + name);
  ASSERT_TRUE(child.started());
  ASSERT_EQ(child.ReadLine(), "0");
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(child.process(), &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(child.process(), 0), WAIT_TIMEOUT);

  ASSERT_EQ(kill(static_cast<pid_t>(child.pid()), SIGTERM), 0);
  EXPECT_EQ(child.Finish(), 128u + SIGTERM);
  // Ended and reaped: not even a zombie is left to signal.
  EXPECT_EQ(kill(static_cast<pid_t>(child.pid()), 0), -1);
  EXPECT_EQ(errno, ESRCH);
}

TEST(KernelProcess, TheModulePathStaysTheNameTheProgramStartedUnder) {
  // A program set aside by an update still learns the folder it was started
  // from, as on Windows.
  ScratchFolder folder;
  const auto program = folder / "launcher";
  std::filesystem::copy_file(ZV_KERNEL_CHILD, program);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const auto report = folder / "report.txt";
  const HANDLE out = CreateFileW(Wide(report).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  std::u16string commandLine = u"renamed " + Wide(folder / "_launcher");
  ASSERT_TRUE(CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &info));
  CloseHandle(out);
  ASSERT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(std::filesystem::exists(folder / "_launcher"));
  EXPECT_EQ(ReadText(report), program.string() + "\n");
}

TEST(KernelProcess, DebuggerOutputShowsOnlyWithTheLayersSwitch) {
  ScratchFolder folder;
  struct Case { const char* setting; const char* shown; };
  const Case cases[] = {{nullptr, ""}, {"0", ""}, {"1", "\xe8\xb5\x84\xe6\xba\x90 loaded"}};
  for (const auto& c : cases) {
    if (c.setting == nullptr) {
      unsetenv("ZV_DEBUG_OUTPUT");
    } else {
      setenv("ZV_DEBUG_OUTPUT", c.setting, 1);
    }
    // The child's standard error goes to a file for this check.
    const auto errors = folder / "stderr.txt";
    const HANDLE file = CreateFileW(Wide(errors).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = file;
    PROCESS_INFORMATION info{};
    std::u16string commandLine = u"debug \"\u8d44\u6e90 loaded\"";
    ASSERT_TRUE(CreateProcessW(Wide(std::string(ZV_KERNEL_CHILD)).c_str(), commandLine.data(), nullptr, nullptr,
                               TRUE, 0, nullptr, nullptr, &startup, &info));
    CloseHandle(file);
    ASSERT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    EXPECT_EQ(ReadText(errors), c.shown) << (c.setting ? c.setting : "unset");
  }
  unsetenv("ZV_DEBUG_OUTPUT");
}

}  // namespace
