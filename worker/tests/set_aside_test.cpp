#include "worker/set_aside.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "worker/archive/tests/archive_test_support.h"

namespace {

using archive_test::TempFolder;

TEST(SetAside, PackageNameIsTheUrlsLastPart) {
  struct Case {
    std::u16string url, name;
  };
  for (const Case& c : {Case{u"https://cdn.example/pkg/update.7z", u"update.7z"},
                        Case{u"update.7z", u"update.7z"}, Case{u"https://h/a/b\\c.7z", u"c.7z"},
                        Case{u"https://h/a\\b/c.7z", u"c.7z"}, Case{u"https://h/pkg.7z?v=2", u"pkg.7z?v=2"},
                        Case{u"https://h/dir/", u""}}) {
    EXPECT_EQ(PackageName(c.url), c.name);
  }
}

TEST(SetAside, UnderscoresGoInFrontOfTheBaseName) {
  EXPECT_EQ(SetAsideName(u"main.exe", 1), u"_main.exe");
  EXPECT_EQ(SetAsideName(u"bin\\core.dll", 2), u"bin\\__core.dll");
  EXPECT_EQ(SetAsideName(u"sub/a.dll", 1), u"sub/_a.dll");
  EXPECT_EQ(SetAsideName(u"a/b\\c.dll", 1), u"a/b\\_c.dll");
}

// The program folder holds a folder bin and two files, main.exe and
// _main.exe, but no readme.txt.
TEST(SetAside, MovesAsideWhatThePackageReplaces) {
  TempFolder folder;
  folder.Write("bin/core.dll", "old core");
  folder.Write("bin/extra.dll", "not in the package");
  folder.Write("main.exe", "old main");
  folder.Write("_main.exe", "someone else's");
  folder.Write("sub/a.dll", "a");
  folder.Write("sub/_a.dll", "_a");
  folder.Write("sub/__a.dll", "__a");
  std::vector<std::u16string> setAside;
  EXPECT_TRUE(SetAsideItems(folder.W() + u"/",
                            {u"bin", u"bin\\core.dll", u"main.exe", u"readme.txt", u"sub/a.dll", u""}, setAside));
  EXPECT_EQ(setAside, (std::vector<std::u16string>{u"_bin", u"__main.exe", u"sub/___a.dll"}));
  EXPECT_EQ(folder.Read("_bin/core.dll"), "old core");
  EXPECT_EQ(folder.Read("_bin/extra.dll"), "not in the package");
  EXPECT_FALSE(std::filesystem::exists(folder.Native("bin")));
  EXPECT_EQ(folder.Read("__main.exe"), "old main");
  EXPECT_EQ(folder.Read("_main.exe"), "someone else's");
  EXPECT_EQ(folder.Read("sub/___a.dll"), "a");
  EXPECT_FALSE(std::filesystem::exists(folder.Native("readme.txt")));
  EXPECT_FALSE(std::filesystem::exists(folder.Native("_readme.txt")));
  // The unnamed item addressed the folder itself, which stays where it is.
  EXPECT_TRUE(std::filesystem::is_directory(folder.Native()));
}

TEST(SetAside, StopsAtTheFirstRenameThatFails) {
  TempFolder folder;
  // A base name of 255 bytes is the longest a name can be, so no "_" can be
  // added in front of it: that rename fails.
  const std::string longest(255, 'x');
  for (const std::string& name : {std::string("a.dll"), std::string("b.dll"), longest, std::string("d.dll")}) folder.Write(name, name);
  std::vector<std::u16string> setAside;
  EXPECT_FALSE(SetAsideItems(folder.W() + u"/", {u"a.dll", u"b.dll", archive_test::Wide(longest), u"d.dll"},
                             setAside));
  EXPECT_EQ(setAside, (std::vector<std::u16string>{u"_a.dll", u"_b.dll"}));
  EXPECT_EQ(folder.Read(longest), longest);
  EXPECT_EQ(folder.Read("d.dll"), "d.dll");
}

}  // namespace
