// Starting the client and handing off to a running one, with the client
// stand-in as Zorvik.exe. The hand-off tests own the machine-wide windows
// titled "Zorvik" (a ctest lock keeps them apart).
#include "child_process.h"

#include "TestServer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using zv::test::TempDir;

class ClientContacts : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = dir_.path() + "/";
    fs::copy_file(LAUNCHER_PROBE_PATH, folder_ + "probe");
    fs::copy_file(CLIENT_STANDIN_PATH, folder_ + "Zorvik.exe");
  }

  std::string Record() const { return ReadFileText(folder_ + "Zorvik.record"); }

  std::unique_ptr<ChildProcess> StartClient(const std::string& windows) {
    auto client = std::make_unique<ChildProcess>(std::vector<std::string>{folder_ + "Zorvik.exe"}, dir_.path(),
                                                 std::vector<std::string>{"ZV_STANDIN_WINDOWS=" + windows});
    EXPECT_TRUE(Eventually([&] { return Record().find("ready\n") != std::string::npos; }));
    return client;
  }

  TempDir dir_;
  std::string folder_;
};

class LaunchWithOemId : public ClientContacts, public testing::WithParamInterface<std::string> {};

// The child's command line is exactly "-show -oemid:N": its first token
// ("-show") stands where a program name would, as on Windows.
TEST_P(LaunchWithOemId, StartsTheClientWithExactlyShowAndTheId) {
  const Finished launcher = RunToEnd({folder_ + "probe", "launch-client", GetParam()}, dir_.path());
  EXPECT_EQ(launcher.exitCode, 0);
  EXPECT_TRUE(Eventually([&] { return !Record().empty(); }));
  EXPECT_EQ(Record(), "args\t-show\t-oemid:" + GetParam() + "\n");
}

INSTANTIATE_TEST_SUITE_P(OemIds, LaunchWithOemId, testing::Values("1", "-4", "2147483647"));

// A program folder too long for a 260-character buffer still starts the
// client at its real path.
TEST_F(ClientContacts, StartsTheClientFromADeepFolder) {
  std::string deep = folder_;
  while (deep.size() < 400) deep += "a-rather-long-folder-name/";
  fs::create_directories(deep);
  fs::rename(folder_ + "probe", deep + "probe");
  fs::rename(folder_ + "Zorvik.exe", deep + "Zorvik.exe");
  EXPECT_EQ(RunToEnd({deep + "probe", "launch-client", "5"}, dir_.path()).exitCode, 0);
  EXPECT_TRUE(Eventually([&] { return !ReadFileText(deep + "Zorvik.record").empty(); }));
  EXPECT_EQ(ReadFileText(deep + "Zorvik.record"), "args\t-show\t-oemid:5\n");
}

TEST_F(ClientContacts, MissingClientEndsQuietly) {
  fs::remove(folder_ + "Zorvik.exe");
  const Finished launcher = RunToEnd({folder_ + "probe", "launch-client", "1"}, dir_.path());
  EXPECT_EQ(launcher.exitCode, 0);
  EXPECT_EQ(launcher.output, "");
}

struct HandOffCase {
  std::string windows;
  std::string received;  // the record line of the hand-off, empty: none
};

void PrintTo(const HandOffCase& c, std::ostream* out) { *out << c.windows; }

class HandOff : public ClientContacts, public testing::WithParamInterface<HandOffCase> {};

TEST_P(HandOff, ReachesThePreferredWindow) {
  const HandOffCase& c = GetParam();
  auto client = StartClient(c.windows);
  const Finished launcher = RunToEnd({folder_ + "probe", "handoff", "-7"}, dir_.path());
  EXPECT_EQ(launcher.exitCode, 0);
  EXPECT_EQ(launcher.output, "handed off\n");
  // SendMessageW returned, so the client has handled the message already.
  EXPECT_EQ(Record(), "args\t" + folder_ + "Zorvik.exe\nready\n" + c.received);
}

INSTANTIATE_TEST_SUITE_P(Windows, HandOff,
                         testing::Values(HandOffCase{"main,upgrade", "handoff\tUpgradeWindow\t-7\t0\n"},
                                         HandOffCase{"main", "handoff\tMainWindow\t-7\t0\n"},
                                         HandOffCase{"upgrade", "handoff\tUpgradeWindow\t-7\t0\n"}));

TEST_F(ClientContacts, HandOffWithoutClientWindowsSendsNothing) {
  const Finished launcher = RunToEnd({folder_ + "probe", "handoff", "3"}, dir_.path());
  EXPECT_EQ(launcher.exitCode, 0);
  EXPECT_EQ(launcher.output, "handed off\n");
}

}  // namespace
