#include "worker/archive/file_system.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "archive_test_support.h"

namespace {

using archive_test::TempFolder;
using namespace SevenZip;

TEST(FileSystem, JoinPathAddsOneSeparatorOnlyWhereNeeded) {
  struct Case {
    std::u16string folder, name, joined;
  };
  for (const Case& c : {Case{u"D:\\Game", u"bin\\x.dll", u"D:\\Game\\bin\\x.dll"},
                        Case{u"D:\\Game\\", u"bin\\x.dll", u"D:\\Game\\bin\\x.dll"},
                        Case{u"D:\\Game/", u"bin\\x.dll", u"D:\\Game/bin\\x.dll"},
                        Case{u"", u"bin\\x.dll", u"bin\\x.dll"}}) {
    EXPECT_EQ(JoinPath(c.folder, c.name), c.joined);
  }
}

TEST(FileSystem, DirectoryPartEndsAtTheLastSeparatorOfEitherKind) {
  struct Case {
    std::u16string path, folder;
  };
  for (const Case& c : {Case{u"D:\\Game\\bin\\x.dll", u"D:\\Game\\bin\\"}, Case{u"D:/Game/x.dll", u"D:/Game/"},
                        Case{u"a/b\\c.dll", u"a/b\\"}, Case{u"a\\b/c.dll", u"a\\b/"}, Case{u"x.dll", u""}}) {
    EXPECT_EQ(DirectoryPart(c.path), c.folder);
  }
}

TEST(FileSystem, ItemPathsMustStayInsideTheDestination) {
  struct Case {
    std::u16string path;
    bool contained;
  };
  for (const Case& c : {Case{u"bin\\core.dll", true}, Case{u"a/b/c.txt", true}, Case{u"./a.txt", true},
                        Case{u"[Content]", true}, Case{u"a..b/..c", true}, Case{u"ab:c.txt", true}, Case{u"x:y.txt", false},
                        Case{u"", false}, Case{u".", false}, Case{u"./", false}, Case{u"../x", false},
                        Case{u"a\\..\\..\\x", false}, Case{u"a/../b", false}, Case{u"..", false},
                        Case{u"/etc/passwd", false}, Case{u"\\x", false}, Case{u"C:\\drive.txt", false},
                        Case{u"c:rel.txt", false}, Case{u"\\\\server\\share\\x", false}}) {
    EXPECT_EQ(IsContainedItemPath(c.path), c.contained) << std::string(c.path.begin(), c.path.end());
  }
}

TEST(FileSystem, EnsureDirectoryTreeAndPathExists) {
  TempFolder folder;
  EXPECT_TRUE(EnsureDirectoryTree(folder.W("a\\b\\c\\")));
  EXPECT_TRUE(std::filesystem::is_directory(folder.Native("a/b/c")));
  EXPECT_TRUE(EnsureDirectoryTree(folder.W("a\\b")));  // already there
  folder.Write("file", "x");
  EXPECT_FALSE(EnsureDirectoryTree(folder.W("file")));
  EXPECT_TRUE(PathExists(folder.W("file")));
  EXPECT_TRUE(PathExists(folder.W("a/b")));
  EXPECT_FALSE(PathExists(folder.W("missing")));
}

TEST(FileSystem, DeletePathRemovesFilesAndTreesAndRefusesOverlongPaths) {
  TempFolder folder;
  folder.Write("tree/sub/f.txt", "f");
  folder.Write("single.txt", "s");
  EXPECT_TRUE(DeletePath(folder.W("tree")));
  EXPECT_TRUE(DeletePath(folder.W("single.txt")));
  EXPECT_FALSE(std::filesystem::exists(folder.Native("tree")));
  EXPECT_FALSE(std::filesystem::exists(folder.Native("single.txt")));
  EXPECT_TRUE(DeletePath(folder.W("missing")));
  EXPECT_FALSE(DeletePath(u""));

  // 261 characters: refused without trying, even though the file is there.
  std::string name(261 - folder.Str().size() - 1, 'n');
  folder.Write(name, "keep");
  ASSERT_EQ(folder.W(name).size(), 261u);
  EXPECT_FALSE(DeletePath(folder.W(name)));
  EXPECT_EQ(folder.Read(name), "keep");
}

TEST(FileSystem, StreamsReadExistingAndCreateOrTruncate) {
  TempFolder folder;
  EXPECT_EQ(OpenReadStream(folder.W("missing")), nullptr);
  folder.Write("old.txt", "old content");
  IStream* writer = CreateWriteStream(folder.W("old.txt"));
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(folder.Read("old.txt"), "");
  writer->Write("new", 3, nullptr);
  writer->Release();
  IStream* reader = OpenReadStream(folder.W("old.txt"));
  ASSERT_NE(reader, nullptr);
  char buffer[8] = {};
  ULONG read = 0;
  reader->Read(buffer, sizeof buffer, &read);
  EXPECT_EQ(std::string(buffer, read), "new");
  reader->Release();
  EXPECT_EQ(CreateWriteStream(folder.W("no/such/folder/x")), nullptr);
}

}  // namespace
