#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "shellapi.h"
#include "temp_folder.h"

namespace {

constexpr FILEOP_FLAGS kSilent = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;

// The double-zero-terminated source list.
std::u16string SourceList(std::initializer_list<std::u16string> paths) {
  std::u16string list;
  for (const auto& p : paths) {
    list += p;
    list += u'\0';
  }
  list += u'\0';
  return list;
}

int Delete(const std::u16string& list, UINT function = FO_DELETE, FILEOP_FLAGS flags = kSilent) {
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = function;
  operation.pFrom = list.c_str();
  operation.fFlags = flags;
  return SHFileOperationW(&operation);
}

TEST(FileOperation, DeletesFilesAndWholeTreesWithoutFollowingLinks) {
  TempFolder folder;
  folder.Write("tree/a.txt", "a");
  folder.Write("tree/sub/deeper/b.txt", "b");
  folder.Write("outside/keep.txt", "keep");
  std::filesystem::create_directory_symlink(folder.Native("outside"), folder.Native("tree/sub/link"));
  folder.Write("single.txt", "s");

  EXPECT_EQ(Delete(SourceList({folder.Wide("tree"), folder.Wide("single.txt")})), 0);
  EXPECT_FALSE(std::filesystem::exists(folder.Native("tree")));
  EXPECT_FALSE(std::filesystem::exists(folder.Native("single.txt")));
  EXPECT_EQ(folder.Read("outside/keep.txt"), "keep");
}

TEST(FileOperation, MissingSourceIsReportedButOthersAreStillDeleted) {
  TempFolder folder;
  folder.Write("present.txt", "p");
  EXPECT_EQ(Delete(SourceList({folder.Wide("missing"), folder.Wide("present.txt")})),
            static_cast<int>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(folder.Native("present.txt")));
}

TEST(FileOperation, OnlyPermanentDeletionIsOffered) {
  TempFolder folder;
  folder.Write("f.txt", "f");
  const auto list = SourceList({folder.Wide("f.txt")});
  EXPECT_EQ(Delete(list, FO_DELETE, kSilent | FOF_ALLOWUNDO), static_cast<int>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_EQ(Delete(list, FO_COPY), static_cast<int>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_EQ(folder.Read("f.txt"), "f");
}

}  // namespace
