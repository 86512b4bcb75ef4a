// Whole updates, each in a program folder of its own: the real worker_run
// program is copied into the folder (the worker finds the program folder
// from its own path) and fetches the package from a loopback server.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestServer.h"
#include "worker/archive/tests/archive_test_support.h"
#include "worker/worker_messages.h"

namespace {

using archive_test::Shell;
using archive_test::TempFolder;

struct RunResult {
  std::vector<std::string> messages;  // "0xffe2 0 0", in order
  std::string log;                    // everything else on standard output
  int exitCode = -1;
};

class UpdateRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(work_.Native("program"));
    std::filesystem::create_directories(work_.Native("src"));
    std::filesystem::copy_file(WORKER_RUN_PATH, work_.Native("program/worker_run"));
  }

  // Packs the folder src into the package served as /update.7z.
  void Package(const std::string& entries = ".", const std::string& options = "") {
    Shell("cd '" + work_.Str("src") + "' && 7z a " + options + " '" + server_.Dir() + "/update.7z' " + entries);
  }

  RunResult RunUpdate(const std::string& target = "/update.7z") {
    RunResult result;
    FILE* output = ::popen(("'" + work_.Str("program/worker_run") + "' '" + server_.Url(target) + "'").c_str(), "r");
    if (output == nullptr) return result;
    char line[4096];
    while (std::fgets(line, sizeof line, output) != nullptr) {
      const std::string text(line);
      if (text.rfind("MSG ", 0) == 0) {
        result.messages.push_back(text.substr(4, text.size() - 5));
      } else {
        result.log += text;
      }
    }
    const int status = ::pclose(output);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // A crash or a sanitizer's complaint in the run shows here.
    EXPECT_EQ(result.exitCode, 0) << result.log;
    return result;
  }

  std::string Program(const std::string& name) const { return work_.Str("program/" + name); }
  bool InProgram(const std::string& name) const { return std::filesystem::exists(Program(name)); }

  TempFolder work_;
  zv::test::TestServer server_{zv::test::TestServerOptions{.routes = R"({
    "/update.7z": {"body_file": "update.7z"},
    "/dir/update.7z?v=2": {"body_file": "update.7z"},
    "/broken.7z": {"body_file": "update.7z", "drop_after": 100}
  })"}};
};

std::string Hex(unsigned message) {
  char text[16];
  std::snprintf(text, sizeof text, "%#x", message);
  return text;
}

// The program folder holds a folder bin and two files, main.exe and
// _main.exe, but no readme.txt; the package has bin, bin\core.dll, main.exe
// and readme.txt.
TEST_F(UpdateRun, InstallsThePackageAndReportsDone) {
  work_.Write("program/bin/core.dll", "old core");
  work_.Write("program/bin/obsolete.dll", "old");
  work_.Write("program/main.exe", "old main");
  work_.Write("program/_main.exe", "someone else's");
  work_.Write("program/update.7z", "a stale package from an earlier run");
  work_.Write("src/bin/core.dll", "new core");
  work_.Write("src/main.exe", "new main");
  work_.Write("src/readme.txt", "notes");
  Package("bin main.exe readme.txt");
  const auto packageSize = std::filesystem::file_size(server_.Dir() + "/update.7z");

  const RunResult run = RunUpdate();
  ASSERT_FALSE(run.messages.empty());
  EXPECT_EQ(run.messages.back(), Hex(UM_UPDATE_DONE) + " 0 0");
  // Every other message is download progress, ending with all of it.
  for (std::size_t i = 0; i + 1 < run.messages.size(); ++i) {
    EXPECT_EQ(run.messages[i].rfind(Hex(UM_DOWNLOAD_PROGRESS) + " ", 0), 0u) << run.messages[i];
  }
  ASSERT_GE(run.messages.size(), 2u);
  EXPECT_EQ(run.messages[run.messages.size() - 2],
            Hex(UM_DOWNLOAD_PROGRESS) + " " + std::to_string(packageSize) + " " + std::to_string(packageSize));

  EXPECT_EQ(work_.Read("program/bin/core.dll"), "new core");
  EXPECT_EQ(work_.Read("program/main.exe"), "new main");
  EXPECT_EQ(work_.Read("program/readme.txt"), "notes");
  EXPECT_EQ(work_.Read("program/_main.exe"), "someone else's");
  // The old bin went aside whole, with the file the package does not have.
  EXPECT_FALSE(InProgram("bin/obsolete.dll"));
  EXPECT_FALSE(InProgram("__main.exe"));
  // The set-aside folder is deleted whole, so nothing waits in the pending list.
  EXPECT_FALSE(InProgram("_bin"));
  EXPECT_FALSE(InProgram("temp"));
  EXPECT_FALSE(InProgram("update.7z"));
  EXPECT_NE(run.log.find("FileDone:" + Program("") + "main.exe\n"), std::string::npos) << run.log;
}

TEST_F(UpdateRun, PackageNameKeepsTheQuery) {
  work_.Write("src/a.txt", "a");
  Package("a.txt");
  const RunResult run = RunUpdate("/dir/update.7z?v=2");
  ASSERT_FALSE(run.messages.empty());
  EXPECT_EQ(run.messages.back(), Hex(UM_UPDATE_DONE) + " 0 0");
  EXPECT_EQ(work_.Read("program/a.txt"), "a");
  EXPECT_FALSE(InProgram("update.7z?v=2"));
}

TEST_F(UpdateRun, FailedDownloadTouchesNothing) {
  work_.Write("program/main.exe", "old main");
  work_.Write("src/main.exe", "new main");
  Package("main.exe");
  for (const std::string target : {"/missing.7z", "/broken.7z"}) {
    // A package left from an earlier run goes before the download starts.
    work_.Write("program" + target, "stale package");
    const RunResult run = RunUpdate(target);
    ASSERT_FALSE(run.messages.empty()) << target;
    EXPECT_EQ(run.messages.back(), Hex(UM_DOWNLOAD_FAILED) + " 0 0") << target;
    EXPECT_EQ(work_.Read("program/main.exe"), "old main") << target;
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(work_.Native("program"))) {
      left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"main.exe", "worker_run"})) << target;
  }
}

TEST_F(UpdateRun, EmptyPackageSetsNothingAsideAndStillCompletes) {
  work_.Write("src/a.txt", "a");
  Package("a.txt");
  Shell("7z d '" + server_.Dir() + "/update.7z' a.txt");
  work_.Write("program/temp", "_old.dll|_older.dll");
  work_.Write("program/a.txt", "mine");
  const RunResult run = RunUpdate();
  ASSERT_FALSE(run.messages.empty());
  EXPECT_EQ(run.messages.back(), Hex(UM_UPDATE_DONE) + " 0 0");
  EXPECT_EQ(work_.Read("program/temp"), "_old.dll|_older.dll");
  EXPECT_EQ(work_.Read("program/a.txt"), "mine");
  EXPECT_FALSE(InProgram("update.7z"));
}

TEST_F(UpdateRun, DamagedPackageIsNotReportedAsInstalled) {
  work_.Write("program/main.exe", "old main");
  work_.Write("src/main.exe", std::string(4096, 'm'));
  Package("main.exe", "-mx0");
  Shell("printf 'Q' | dd of='" + server_.Dir() + "/update.7z' bs=1 seek=1000 conv=notrunc");
  const RunResult run = RunUpdate();
  ASSERT_FALSE(run.messages.empty());
  EXPECT_EQ(run.messages.back(), Hex(UM_UNPACK_FAILED) + " 0 0");
  // The old copy went aside and was deleted; the damaged new one is removed.
  EXPECT_FALSE(InProgram("main.exe"));
  EXPECT_FALSE(InProgram("_main.exe"));
  EXPECT_TRUE(InProgram("update.7z"));
}

TEST_F(UpdateRun, PackageReachingOutsideIsRefusedBeforeAnythingMoves) {
  work_.Write("program/main.exe", "old main");
  work_.Write("src/main.exe", "new main");
  work_.Write("src/evil.txt", "evil");
  Package("main.exe evil.txt");
  Shell("7z rn '" + server_.Dir() + "/update.7z' evil.txt ../evil.txt");
  const RunResult run = RunUpdate();
  ASSERT_FALSE(run.messages.empty());
  EXPECT_EQ(run.messages.back(), Hex(UM_UNPACK_FAILED) + " 0 0");
  EXPECT_EQ(work_.Read("program/main.exe"), "old main");
  EXPECT_FALSE(InProgram("_main.exe"));
  EXPECT_FALSE(std::filesystem::exists(work_.Native("evil.txt")));
}

TEST_F(UpdateRun, UnreadablePackageSetsNothingAsideAndFails) {
  work_.Write("program/main.exe", "old main");
  std::ofstream(server_.Dir() + "/update.7z") << "this is no archive";
  const RunResult run = RunUpdate();
  ASSERT_FALSE(run.messages.empty());
  EXPECT_EQ(run.messages.back(), Hex(UM_UNPACK_FAILED) + " 0 0");
  EXPECT_EQ(work_.Read("program/main.exe"), "old main");
  EXPECT_EQ(work_.Read("program/update.7z"), "this is no archive");
  EXPECT_FALSE(InProgram("temp"));
}

TEST_F(UpdateRun, FailedRenameStopsBeforeUnpacking) {
  // No "_" fits in front of a base name of 255 bytes, so the third item
  // cannot be set aside. (7z keeps its items sorted by name.)
  const std::string longest = "c" + std::string(250, 'x') + ".dll";
  for (const std::string& name : {std::string("a.dll"), std::string("b.dll"), longest, std::string("d.dll")}) {
    work_.Write("program/" + name, "old " + name);
    work_.Write("src/" + name, "new " + name);
  }
  Package("a.dll b.dll " + longest + " d.dll", "-ms=off");
  const RunResult run = RunUpdate();
  ASSERT_FALSE(run.messages.empty());
  EXPECT_EQ(run.messages.back(), Hex(UM_UNPACK_FAILED) + " 0 0");
  // The two set aside before it were deleted; nothing was unpacked.
  EXPECT_FALSE(InProgram("a.dll"));
  EXPECT_FALSE(InProgram("_a.dll"));
  EXPECT_FALSE(InProgram("b.dll"));
  EXPECT_EQ(work_.Read("program/" + longest), "old " + longest);
  EXPECT_EQ(work_.Read("program/d.dll"), "old d.dll");
  EXPECT_TRUE(InProgram("update.7z"));
}

}  // namespace
