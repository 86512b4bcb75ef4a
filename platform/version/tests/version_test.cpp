// Version information read from real PE files (built from resource scripts
// with the PE binutils) and from one of our own programs, as another process
// sees it on disk.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "win/errors.h"
#include "win/kernel.h"
#include "win/version.h"
#include "zv/text.h"

namespace {

std::string Fixture(const char* name) { return std::string(ZV_VERSION_FIXTURES) + "/" + name; }

// The whole buffer, sized as GetFileVersionInfoSizeW says, so that the
// sanitizer sees any access past it.
std::vector<std::uint8_t> VersionInfo(const std::string& path) {
  const std::u16string wide = zv::FromUtf8(path);
  DWORD handle = 7;
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &handle);
  EXPECT_NE(size, 0u) << path << ": " << GetLastError();
  EXPECT_EQ(handle, 0u);
  std::vector<std::uint8_t> block(size);
  EXPECT_TRUE(GetFileVersionInfoW(wide.c_str(), handle, size, block.data())) << GetLastError();
  return block;
}

std::u16string QueryText(const std::vector<std::uint8_t>& block, const char16_t* subBlock) {
  LPVOID value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), subBlock, &value, &length)) return u"<none>";
  return static_cast<const char16_t*>(value);
}

const char* kVersionedFiles[] = {"pe64_two_translations.exe", "pe32_two_translations.exe", nullptr};

std::string VersionedFile(const char* name) { return name ? Fixture(name) : ZV_VERSION_FIXTURE_PROGRAM; }

// The launcher's way: the first entry of the translation table, through the
// ANSI call on the wide block, then the string under that translation.
TEST(VersionInfo, FirstTranslationAndItsFileVersion) {
  for (const char* name : kVersionedFiles) {
    const std::string path = VersionedFile(name);
    SCOPED_TRACE(path);
    ASSERT_TRUE(std::filesystem::exists(path)) << "fixture missing (binutils-mingw-w64 installed?)";
    const auto block = VersionInfo(path);
    ASSERT_FALSE(block.empty());

    LPVOID table = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &table, &length));
    ASSERT_EQ(length, 8u);
    WORD entries[4];
    std::memcpy(entries, table, sizeof(entries));
    EXPECT_EQ(entries[0], 0x0804);
    EXPECT_EQ(entries[1], 0x04b0);
    EXPECT_EQ(entries[2], 0x0409);
    EXPECT_EQ(entries[3], 0x04b0);

    EXPECT_EQ(QueryText(block, u"\\StringFileInfo\\080404b0\\FileVersion"), u"1, 0, 0, 2");
    EXPECT_EQ(QueryText(block, u"\\StringFileInfo\\040904b0\\FileVersion"), u"9, 9, 9, 9");
    // Keys compare without case, hexadecimal digits included.
    EXPECT_EQ(QueryText(block, u"\\stringfileinfo\\080404B0\\fileversion"), u"1, 0, 0, 2");
  }
}

TEST(VersionInfo, FixedFileInfoAtTheRoot) {
  for (const char* name : kVersionedFiles) {
    const std::string path = VersionedFile(name);
    SCOPED_TRACE(path);
    const auto block = VersionInfo(path);
    ASSERT_FALSE(block.empty());
    for (const char16_t* root : {u"\\", u""}) {
      LPVOID value = nullptr;
      UINT length = 0;
      ASSERT_TRUE(VerQueryValueW(block.data(), root, &value, &length));
      ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
      VS_FIXEDFILEINFO fixed;
      std::memcpy(&fixed, value, sizeof(fixed));
      EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
      EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
      EXPECT_EQ(fixed.dwFileVersionLS, 0x00000002u);
    }
  }
}

TEST(VersionInfo, QueriesForWhatIsNotThere) {
  const auto block = VersionInfo(Fixture("pe64_two_translations.exe"));
  ASSERT_FALSE(block.empty());
  for (const char16_t* subBlock : {u"\\StringFileInfo\\000004b0\\FileVersion",
                                   u"\\StringFileInfo\\080404b0\\NoSuchValue", u"\\NoSuchBlock",
                                   u"\\StringFileInfo\\080404b0\\FileVersion\\Deeper"}) {
    SCOPED_TRACE(zv::ToUtf8(subBlock));
    LPVOID value = reinterpret_cast<LPVOID>(1);
    UINT length = 99;
    EXPECT_FALSE(VerQueryValueW(block.data(), subBlock, &value, &length));
  }
}

// ANSI queries of strings give UTF-8 copies that stay valid together.
TEST(VersionInfo, AnsiStringsAreUtf8CopiesThatStay) {
  for (const char* name : kVersionedFiles) {
    const std::string path = VersionedFile(name);
    SCOPED_TRACE(path);
    auto block = VersionInfo(path);
    ASSERT_FALSE(block.empty());
    LPVOID description = nullptr;
    LPVOID version = nullptr;
    UINT descriptionLength = 0;
    UINT versionLength = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\080404b0\\FileDescription", &description,
                               &descriptionLength));
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\080404b0\\FileVersion", &version, &versionLength));
    EXPECT_STREQ(static_cast<const char*>(description), "Zorvik 启动器");
    EXPECT_EQ(descriptionLength, std::strlen("Zorvik 启动器") + 1);
    EXPECT_STREQ(static_cast<const char*>(version), "1, 0, 0, 2");
    // The wide block itself is unchanged by the ANSI copies.
    EXPECT_EQ(QueryText(block, u"\\StringFileInfo\\080404b0\\FileDescription"), u"Zorvik 启动器");
  }
}

// Our resource compiler writes the block exactly as a Windows resource
// compiler does for the same declaration.
TEST(VersionInfo, OurBlockIsTheStandardLayout) {
  const auto standard = VersionInfo(Fixture("pe64_two_translations.exe"));
  const auto ours = VersionInfo(ZV_VERSION_FIXTURE_PROGRAM);
  ASSERT_GE(standard.size(), 2u);
  ASSERT_GE(ours.size(), 2u);
  const std::size_t length = standard[0] | standard[1] << 8;
  ASSERT_EQ(ours[0] | ours[1] << 8, length);
  EXPECT_TRUE(std::equal(standard.begin(), standard.begin() + length, ours.begin()));
}

// The program finds its own version resource through FindResourceW.
TEST(VersionInfo, OwnProgramReadsItsOwnVersion) {
  FILE* program = popen(ZV_VERSION_FIXTURE_PROGRAM, "r");
  ASSERT_NE(program, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof(line), program), nullptr);
  EXPECT_EQ(pclose(program), 0);
  EXPECT_STREQ(line, "1, 0, 0, 2\n");
}

class VersionFailures : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("zv_version_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_ / "folder.exe");
    std::ofstream(folder_ / "text.txt") << "just some text, not a program";
    ASSERT_EQ(mkfifo((folder_ / "pipe.exe").c_str(), 0600), 0);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_F(VersionFailures, SizeZeroWithTheReason) {
  struct Case {
    std::string path;
    DWORD error;
  } cases[] = {
      {(folder_ / "missing.exe").string(), ERROR_FILE_NOT_FOUND},
      {(folder_ / "no_folder" / "missing.exe").string(), ERROR_PATH_NOT_FOUND},
      {(folder_ / "folder.exe").string(), ERROR_ACCESS_DENIED},
      {(folder_ / "pipe.exe").string(), ERROR_ACCESS_DENIED},  // without waiting for a writer
      {(folder_ / "text.txt").string(), ERROR_BAD_EXE_FORMAT},
      {Fixture("pe64_no_version.exe"), ERROR_RESOURCE_TYPE_NOT_FOUND},
      {Fixture("pe64_no_resources.exe"), ERROR_RESOURCE_DATA_NOT_FOUND},
      {"/proc/self/exe", ERROR_RESOURCE_DATA_NOT_FOUND},  // this test program has no resources
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::u16string wide = zv::FromUtf8(c.path);
    SetLastError(0);
    DWORD handle = 7;
    EXPECT_EQ(GetFileVersionInfoSizeW(wide.c_str(), &handle), 0u);
    EXPECT_EQ(GetLastError(), c.error);
    std::uint8_t buffer[64] = {};
    SetLastError(0);
    EXPECT_FALSE(GetFileVersionInfoW(wide.c_str(), 0, sizeof(buffer), buffer));
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(VersionFailures, ShortBufferIsRefusedAndLeftAlone) {
  const std::u16string path = zv::FromUtf8(Fixture("pe64_two_translations.exe"));
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<std::uint8_t> buffer(size, 0xAB);
  SetLastError(0);
  EXPECT_FALSE(GetFileVersionInfoW(path.c_str(), 0, size - 1, buffer.data()));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xAB), static_cast<std::ptrdiff_t>(size));
}

}  // namespace
