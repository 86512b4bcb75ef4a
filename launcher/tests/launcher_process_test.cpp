// The launcher pieces in real processes: the probe program is copied into a
// fresh folder, which then is its program folder, and run there.
#include "child_process.h"

#include "TestServer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;
using zv::test::TempDir;

class ProgramFolderRun : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = dir_.path() + "/program/";
    fs::create_directories(folder_);
    fs::copy_file(LAUNCHER_PROBE_PATH, folder_ + "probe");
  }

  // Moves the program folder somewhere deep, beyond 260 characters.
  void MakeFolderDeep() {
    std::string deep = dir_.path() + "/";
    while (deep.size() < 400) deep += "a-rather-long-folder-name/";
    fs::create_directories(deep);
    fs::rename(folder_ + "probe", deep + "probe");
    folder_ = deep;
  }

  Finished Probe(std::vector<std::string> args) {
    args.insert(args.begin(), folder_ + "probe");
    return RunToEnd(args, dir_.path());
  }

  std::string List() const { return ReadFileText(folder_ + "temp"); }
  bool Exists(const std::string& name) const { return fs::exists(folder_ + name); }
  void Touch(const std::string& name) const { WriteFileText(folder_ + name, "x"); }

  TempDir dir_;
  std::string folder_;
};

TEST_F(ProgramFolderRun, ProgramFolderEndsWithItsSeparatorAtAnyDepth) {
  EXPECT_EQ(Probe({"program-folder"}).output, folder_ + "\n");
  MakeFolderDeep();
  EXPECT_EQ(Probe({"program-folder"}).output, folder_ + "\n");
}

TEST_F(ProgramFolderRun, OemIdComesFromLauncherDatBesideTheProgram) {
  EXPECT_EQ(Probe({"oem-id"}).output, "0\n");
  WriteFileText(folder_ + "launcher.dat", "{\"id\":25}\r\n");
  EXPECT_EQ(Probe({"oem-id"}).output, "25\n");
  // A settings path beyond 260 characters is read, not cut off.
  MakeFolderDeep();
  WriteFileText(folder_ + "launcher.dat", R"({"id":-4})");
  EXPECT_EQ(Probe({"oem-id"}).output, "-4\n");
}

TEST_F(ProgramFolderRun, DeleteOrRecordRecordsOnlyWhatResists) {
  WriteFileText(folder_ + "temp", "old.dll");
  Touch("_a.dll");
  fs::create_directories(folder_ + "sub");
  Touch("sub/_b.dll");

  // Everything deleted, or nothing given: the old list stays as it was.
  ASSERT_EQ(Probe({"delete-or-record", "_a.dll", "sub\\_b.dll"}).exitCode, 0);
  EXPECT_FALSE(Exists("_a.dll"));
  EXPECT_FALSE(Exists("sub/_b.dll"));
  Probe({"delete-or-record"});
  EXPECT_EQ(List(), "old.dll");

  // One failure replaces whatever the list held.
  Probe({"delete-or-record", "_x.dll"});
  EXPECT_EQ(List(), "_x.dll");

  // A set-aside folder goes whole; a folder without the set-aside mark is
  // never deleted and is recorded, in order with the rest.
  fs::create_directories(folder_ + "sub/_dir/deeper");
  Touch("sub/_dir/deeper/old.dll");
  fs::create_directories(folder_ + "plain");
  Touch("plain/keep.dll");
  Touch("_c.dll");
  Probe({"delete-or-record", "sub\\_dir", "plain", "_c.dll", "_gone.dll"});
  EXPECT_FALSE(Exists("sub/_dir"));
  EXPECT_TRUE(Exists("plain/keep.dll"));
  EXPECT_EQ(List(), "plain|_gone.dll");
}

TEST_F(ProgramFolderRun, DeleteOrRecordNeverReachesOutsideTheFolder) {
  WriteFileText(dir_.path() + "/victim.txt", "keep me");
  const std::string absolute = dir_.path() + "/victim.txt";
  Probe({"delete-or-record", "../victim.txt", absolute, "sub/../../victim.txt", "..\\victim.txt"});
  EXPECT_TRUE(fs::exists(absolute));
  EXPECT_FALSE(Exists("temp"));
}

TEST_F(ProgramFolderRun, NamesBeyondOneByteAreRecordedAndDeletedLater) {
  Probe({"delete-or-record", "_\xE6\x95\xB0\xE6\x8D\xAE.dll", "_caf\xC3\xA9.dll"});
  EXPECT_EQ(List(), "\xEF\xBB\xBF_\xE6\x95\xB0\xE6\x8D\xAE.dll|_caf\xC3\xA9.dll");
  Touch("_\xE6\x95\xB0\xE6\x8D\xAE.dll");
  Touch("_caf\xC3\xA9.dll");
  Probe({"process-pending"});
  EXPECT_FALSE(Exists("_\xE6\x95\xB0\xE6\x8D\xAE.dll"));
  EXPECT_FALSE(Exists("_caf\xC3\xA9.dll"));
  EXPECT_FALSE(Exists("temp"));
}

struct PendingCase {
  const char* name;
  std::string list;          // content of temp before the run
  std::vector<std::string> files;  // files that exist and can be deleted
  std::vector<std::string> dirs;   // folders without the set-aside mark, which never delete
  std::optional<std::string> after;  // temp after the run; nothing: removed
};

void PrintTo(const PendingCase& c, std::ostream* out) { *out << c.name; }

class PendingDeletions : public ProgramFolderRun, public testing::WithParamInterface<PendingCase> {};

TEST_P(PendingDeletions, DeleteWhatTheyCanAndKeepTheRest) {
  const PendingCase& c = GetParam();
  WriteFileText(folder_ + "temp", c.list);
  for (const auto& file : c.files) {
    fs::create_directories(fs::path(folder_ + file).parent_path());
    Touch(file);
  }
  for (const auto& dir : c.dirs) fs::create_directories(folder_ + dir);
  WriteFileText(dir_.path() + "/victim.txt", "keep me");

  ASSERT_EQ(Probe({"process-pending"}).exitCode, 0);

  for (const auto& file : c.files) EXPECT_FALSE(Exists(file)) << file;
  for (const auto& dir : c.dirs) EXPECT_TRUE(Exists(dir)) << dir;
  EXPECT_TRUE(fs::exists(dir_.path() + "/victim.txt"));
  if (c.after) {
    EXPECT_TRUE(Exists("temp"));
    EXPECT_EQ(List(), *c.after);
  } else {
    EXPECT_FALSE(Exists("temp"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PendingDeletions,
    testing::Values(
        PendingCase{"one_deletes_one_resists", "a.dll|b", {"a.dll"}, {"b"}, "b"},
        PendingCase{"set_aside_folder_goes_whole", "_bin|b", {"_bin/core.dll", "_bin/x/y.dll"}, {"b"}, "b"},
        PendingCase{"all_delete", "a.dll|sub\\b.dll", {"a.dll", "sub/b.dll"}, {}, std::nullopt},
        PendingCase{"empty_file", "", {}, {}, std::nullopt},
        PendingCase{"missing_file_stays", "gone.dll", {}, {}, "gone.dll"},
        PendingCase{"line_end_joins_the_entry", "a.dll|b.dll\r\n", {"a.dll"}, {}, "b.dll\r\n"},
        PendingCase{"empty_entry_stays", "a.dll||b.dll", {"a.dll", "b.dll"}, {}, ""},
        PendingCase{"zero_byte_dropped", std::string("a.d\0ll", 6), {"a.dll"}, {}, std::nullopt},
        PendingCase{"latin1_byte", "caf\xE9.dll", {"caf\xC3\xA9.dll"}, {}, std::nullopt},
        PendingCase{"outside_entries_dropped", "../victim.txt|/etc/passwd|x/../../victim.txt|C:\\w|keep", {}, {"keep"}, "keep"},
        PendingCase{"only_outside_entries", "../victim.txt", {}, {}, std::nullopt}));

TEST_F(ProgramFolderRun, ListThatCannotBeRewrittenKeepsItsOldContent) {
  if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
  fs::create_directories(folder_ + "b");
  Touch("a.dll");
  WriteFileText(folder_ + "temp", "a.dll|b");
  fs::permissions(folder_ + "temp", fs::perms::owner_read);
  Probe({"process-pending"});
  fs::permissions(folder_ + "temp", fs::perms::owner_all);
  EXPECT_FALSE(Exists("a.dll"));
  EXPECT_EQ(List(), "a.dll|b");
}

}  // namespace
