#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "shlobj.h"
#include "temp_folder.h"

namespace {

struct DirectoryCase {
  const char* name;
  const char* existingFile;  // made before the call, if not null
  const char* existingFolder;
  const char* target;  // relative to the scratch folder
  int expected;
  const char* folderAfter;  // must be a folder afterwards, if not null
};

class CreateDirectoryTree : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(CreateDirectoryTree, CreatesEveryLevelOrReportsAsWindowsDoes) {
  const DirectoryCase& c = GetParam();
  TempFolder folder;
  if (c.existingFile != nullptr) folder.Write(c.existingFile, "x");
  if (c.existingFolder != nullptr) std::filesystem::create_directories(folder.Native(c.existingFolder));
  EXPECT_EQ(SHCreateDirectoryExW(nullptr, folder.Wide(c.target).c_str(), nullptr), c.expected);
  if (c.folderAfter != nullptr) {
    EXPECT_TRUE(std::filesystem::is_directory(folder.Native(c.folderAfter)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shell, CreateDirectoryTree,
    ::testing::Values(
        DirectoryCase{"WholeTree", nullptr, nullptr, "a\\b/c\\d", ERROR_SUCCESS, "a/b/c/d"},
        DirectoryCase{"TrailingSeparator", nullptr, nullptr, "a\\b\\", ERROR_SUCCESS, "a/b"},
        DirectoryCase{"BelowExisting", nullptr, "a", "a\\b", ERROR_SUCCESS, "a/b"},
        DirectoryCase{"AlreadyThere", nullptr, "a/b", "a\\b", ERROR_ALREADY_EXISTS, "a/b"},
        DirectoryCase{"AlreadyThereWithSeparator", nullptr, "a/b", "a\\b\\", ERROR_ALREADY_EXISTS, "a/b"},
        DirectoryCase{"FileInTheWay", "a/f", nullptr, "a\\f", ERROR_FILE_EXISTS, nullptr},
        DirectoryCase{"FileOnTheWay", "a/f", nullptr, "a\\f\\g", ERROR_PATH_NOT_FOUND, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CreateDirectoryTree, RefusesRelativeAndEmptyPaths) {
  EXPECT_EQ(SHCreateDirectoryExW(nullptr, u"relative\\dir", nullptr), static_cast<int>(ERROR_BAD_PATHNAME));
  EXPECT_EQ(SHCreateDirectoryExW(nullptr, u"", nullptr), static_cast<int>(ERROR_BAD_PATHNAME));
  EXPECT_FALSE(std::filesystem::exists("relative"));
}

}  // namespace
