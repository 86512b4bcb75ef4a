// ShellExecuteW runs the real xdg-open found on PATH; these tests put a
// stand-in script of that name first on PATH so that no browser opens.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "shellapi.h"
#include "temp_folder.h"

namespace {

class ShellExecute : public ::testing::Test {
 protected:
  void SetUp() override {
    savedPath_ = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", folder_.Native("bin").c_str(), 1);
  }
  void TearDown() override { ::setenv("PATH", savedPath_.c_str(), 1); }

  // PATH holds only the stand-in's folder, so the script names the tools it
  // needs in full. The stand-in waits for the test to say "go" (so a caller that waited for
  // it would never see it finish), then records its arguments.
  void InstallStandIn() {
    const auto script = folder_.Native("bin/xdg-open");
    folder_.Write("bin/xdg-open",
                  "#!/bin/sh\n"
                  "i=0; while [ $i -lt 300 ] && [ ! -e '" + folder_.Native("go").string() + "' ]; do\n"
                  "  i=$((i + 1)); /bin/sleep 0.1; done\n"
                  "[ -e '" + folder_.Native("go").string() + "' ] || exit 1\n"
                  "printf '%s|' \"$@\" > '" + folder_.Native("args.tmp").string() + "'\n"
                  "/bin/mv '" + folder_.Native("args.tmp").string() + "' '" + folder_.Native("args").string() + "'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }

  std::string WaitForArguments() {
    for (int i = 0; i < 300 && !std::filesystem::exists(folder_.Native("args")); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return folder_.Read("args");
  }

  TempFolder folder_;
  std::string savedPath_;
};

TEST_F(ShellExecute, HandsTheAddressToXdgOpenWithoutWaiting) {
  InstallStandIn();
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, u"open", u"http://127.0.0.1/?oemid=7&x=\u4e2d", nullptr, nullptr, 1));
  EXPECT_GT(result, 32);
  // Only now may the stand-in finish: had the call waited for it, the
  // stand-in would have given up and recorded nothing.
  folder_.Write("go", "");
  EXPECT_EQ(WaitForArguments(), "http://127.0.0.1/?oemid=7&x=\xe4\xb8\xad|");
}

TEST_F(ShellExecute, ReportsMissingProgramAndUnknownVerb) {
  EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, u"open", u"http://127.0.0.1/", nullptr, nullptr, 1)),
            static_cast<INT_PTR>(ERROR_FILE_NOT_FOUND));
  InstallStandIn();
  EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, u"print", u"http://127.0.0.1/", nullptr, nullptr, 1)),
            SE_ERR_NOASSOC);
}

}  // namespace
