// MoveFileExW within and across file systems.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "test_support.h"
#include "windows.h"

namespace {

using kernel_test::ReadText;
using kernel_test::ScratchFolder;
using kernel_test::Wide;
using kernel_test::WriteText;

BOOL Move(const std::filesystem::path& from, const std::filesystem::path& to, DWORD flags) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags);
}

// A file and a folder tree with a sub-folder, an executable and a link.
void MakeTree(const std::filesystem::path& root) {
  std::filesystem::create_directories(root / "sub");
  WriteText(root / "core.dll", "core");
  WriteText(root / "sub" / "run.sh", "#!/bin/sh\n");
  chmod((root / "sub" / "run.sh").c_str(), 0755);
  std::filesystem::create_symlink("core.dll", root / "link");
}

void ExpectTree(const std::filesystem::path& root) {
  EXPECT_EQ(ReadText(root / "core.dll"), "core");
  EXPECT_EQ(ReadText(root / "sub" / "run.sh"), "#!/bin/sh\n");
  struct stat info {};
  ASSERT_EQ(stat((root / "sub" / "run.sh").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
  EXPECT_EQ(std::filesystem::read_symlink(root / "link"), "core.dll");
}

bool SameFileSystem(const std::filesystem::path& a, const std::filesystem::path& b) {
  struct stat x {}, y {};
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev;
}

TEST(KernelMove, RenamesFilesAndFoldersButNeverReplaces) {
  ScratchFolder folder;
  WriteText(folder / "main.exe", "new");
  WriteText(folder / "_main.exe", "taken");
  MakeTree(folder / "bin");

  EXPECT_FALSE(Move(folder / "main.exe", folder / "_main.exe", MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadText(folder / "main.exe"), "new");
  EXPECT_EQ(ReadText(folder / "_main.exe"), "taken");

  EXPECT_TRUE(Move(folder / "main.exe", folder / "__main.exe", MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(ReadText(folder / "__main.exe"), "new");
  EXPECT_FALSE(std::filesystem::exists(folder / "main.exe"));

  EXPECT_TRUE(Move(folder / "bin", folder / "_bin", MOVEFILE_COPY_ALLOWED));
  ExpectTree(folder / "_bin");
  EXPECT_FALSE(std::filesystem::exists(folder / "bin"));
}

TEST(KernelMove, ReplacesAFileOnlyWhenAskedAndNeverAFolder) {
  ScratchFolder folder;
  WriteText(folder / "a", "a");
  WriteText(folder / "b", "b");
  std::filesystem::create_directory(folder / "dir");
  EXPECT_TRUE(Move(folder / "a", folder / "b", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadText(folder / "b"), "a");
  EXPECT_FALSE(Move(folder / "b", folder / "dir", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadText(folder / "b"), "a");
}

TEST(KernelMove, ErrorsNameTheMissingPiece) {
  ScratchFolder folder;
  WriteText(folder / "a", "a");
  struct Case { std::filesystem::path from, to; DWORD error; };
  const Case cases[] = {
      {folder / "none", folder / "x", ERROR_FILE_NOT_FOUND},
      {folder / "no" / "none", folder / "x", ERROR_PATH_NOT_FOUND},
      {folder / "a", folder / "no" / "x", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Move(c.from, c.to, MOVEFILE_COPY_ALLOWED)) << c.from << " -> " << c.to;
    EXPECT_EQ(GetLastError(), c.error) << c.from << " -> " << c.to;
  }
  EXPECT_EQ(ReadText(folder / "a"), "a");
}

class KernelMoveAcross : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory("/dev/shm") || SameFileSystem("/dev/shm", here_.path())) {
      GTEST_SKIP() << "/dev/shm and the temporary folder are one file system here";
    }
  }
  ScratchFolder here_;
  ScratchFolder there_{"/dev/shm"};
};

TEST_F(KernelMoveAcross, CopiesFilesAndFoldersThenRemovesTheOriginal) {
  WriteText(here_ / "pkg.7z", "package");
  chmod((here_ / "pkg.7z").c_str(), 0640);
  const FILETIME written{0xD53E8000u, 0x01BF53EBu};  // 2000-01-01
  const HANDLE file = CreateFileW(Wide(here_ / "pkg.7z").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);

  ASSERT_TRUE(Move(here_ / "pkg.7z", there_ / "pkg.7z", MOVEFILE_COPY_ALLOWED));
  EXPECT_FALSE(std::filesystem::exists(here_ / "pkg.7z"));
  EXPECT_EQ(ReadText(there_ / "pkg.7z"), "package");
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(Wide(there_ / "pkg.7z").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime);
  EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, written.dwHighDateTime);
  struct stat info {};
  ASSERT_EQ(stat((there_ / "pkg.7z").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  MakeTree(here_ / "bin");
  ASSERT_TRUE(Move(here_ / "bin", there_ / "bin", MOVEFILE_COPY_ALLOWED));
  EXPECT_FALSE(std::filesystem::exists(here_ / "bin"));
  ExpectTree(there_ / "bin");
}

TEST_F(KernelMoveAcross, RefusesToReplaceAndNeedsCopyAllowed) {
  MakeTree(here_ / "bin");
  std::filesystem::create_directory(there_ / "bin");
  WriteText(there_ / "bin" / "keep", "keep");

  EXPECT_FALSE(Move(here_ / "bin", there_ / "bin", MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  ExpectTree(here_ / "bin");
  EXPECT_EQ(ReadText(there_ / "bin" / "keep"), "keep");
  EXPECT_FALSE(std::filesystem::exists(there_ / "bin" / "core.dll"));

  EXPECT_FALSE(Move(here_ / "bin", there_ / "other", 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
  ExpectTree(here_ / "bin");
  EXPECT_FALSE(std::filesystem::exists(there_ / "other"));
}

TEST_F(KernelMoveAcross, AFailedCopyLeavesNothingBehind) {
  // An unreadable file inside the folder stops the copy half-way; the part
  // already copied goes again and the original stays whole. Root reads every
  // file, so a named pipe (which has no place in an installation) stops it.
  MakeTree(here_ / "bin");
  ASSERT_EQ(mkfifo((here_ / "bin" / "zz-pipe").c_str(), 0600), 0);
  EXPECT_FALSE(Move(here_ / "bin", there_ / "bin", MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_FALSE(std::filesystem::exists(there_ / "bin"));
  ExpectTree(here_ / "bin");
}

}  // namespace
