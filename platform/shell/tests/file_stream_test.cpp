#include <sys/stat.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "shlwapi.h"
#include "temp_folder.h"
#include "win/kernel.h"

namespace {

struct StreamHolder {
  IStream* stream = nullptr;
  ~StreamHolder() {
    if (stream != nullptr) stream->Release();
  }
};

// An interface id that no stream implements.
constexpr IID kUnrelatedInterface = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

std::size_t OpenDescriptors() {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

struct OpenCase {
  const char* name;
  bool fileExists;
  DWORD mode;
  BOOL create;
  HRESULT expected;
  const char* contentAfter;  // null: no file afterwards
};

class OpenModes : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenModes, OpensCreatesOrFailsAsWindowsDoes) {
  const OpenCase& c = GetParam();
  TempFolder folder;
  if (c.fileExists) folder.Write("f.bin", "old");
  StreamHolder holder;
  EXPECT_EQ(SHCreateStreamOnFileEx(folder.Wide("f.bin").c_str(), c.mode, FILE_ATTRIBUTE_NORMAL, c.create, nullptr,
                                   &holder.stream),
            c.expected);
  EXPECT_EQ(holder.stream != nullptr, c.expected == S_OK);
  if (c.contentAfter == nullptr) {
    EXPECT_FALSE(std::filesystem::exists(folder.Native("f.bin")));
  } else {
    EXPECT_EQ(folder.Read("f.bin"), c.contentAfter);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shell, OpenModes,
    ::testing::Values(
        OpenCase{"ReadExisting", true, STGM_READ, FALSE, S_OK, "old"},
        OpenCase{"ReadMissing", false, STGM_READ, FALSE, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), nullptr},
        OpenCase{"CreateTruncatesExisting", true, STGM_CREATE | STGM_WRITE, TRUE, S_OK, ""},
        OpenCase{"CreateIgnoresCreateFlag", true, STGM_CREATE | STGM_WRITE, FALSE, S_OK, ""},
        OpenCase{"CreateMakesMissing", false, STGM_CREATE | STGM_WRITE, TRUE, S_OK, ""},
        OpenCase{"FailIfThereRefusesExisting", true, STGM_FAILIFTHERE | STGM_WRITE, TRUE,
                 HRESULT_FROM_WIN32(ERROR_FILE_EXISTS), "old"},
        OpenCase{"FailIfThereMakesMissing", false, STGM_FAILIFTHERE | STGM_WRITE, TRUE, S_OK, ""},
        OpenCase{"OpenExistingForWriteKeepsContent", true, STGM_WRITE, FALSE, S_OK, "old"},
        OpenCase{"CreateNeedsWriteAccess", false, STGM_CREATE | STGM_READ, TRUE, E_INVALIDARG, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileStream, FailsOnFolderAndMissingParentWithTheLastError) {
  TempFolder folder;
  StreamHolder holder;
  EXPECT_EQ(SHCreateStreamOnFileEx(folder.Wide().c_str(), STGM_READ, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr,
                                   &holder.stream),
            E_ACCESSDENIED);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SHCreateStreamOnFileEx(folder.Wide("no\\such\\f.bin").c_str(), STGM_CREATE | STGM_WRITE,
                                   FILE_ATTRIBUTE_NORMAL, TRUE, nullptr, &holder.stream),
            HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(holder.stream, nullptr);
}

TEST(FileStream, ReadsWritesSeeksResizesAndReportsSize) {
  TempFolder folder;
  StreamHolder holder;
  ASSERT_EQ(SHCreateStreamOnFileEx(folder.Wide("f.bin").c_str(), STGM_CREATE | STGM_READWRITE,
                                   FILE_ATTRIBUTE_NORMAL, TRUE, nullptr, &holder.stream),
            S_OK);
  IStream* s = holder.stream;
  ULONG count = 99;
  ASSERT_EQ(s->Write("hello world", 11, &count), S_OK);
  EXPECT_EQ(count, 11u);

  LARGE_INTEGER move{};
  ULARGE_INTEGER position{};
  move.QuadPart = 6;
  ASSERT_EQ(s->Seek(move, STREAM_SEEK_SET, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 6u);
  char buffer[16] = {};
  ASSERT_EQ(s->Read(buffer, 5, &count), S_OK);
  EXPECT_EQ(std::string(buffer, count), "world");
  EXPECT_EQ(s->Read(buffer, 5, &count), S_FALSE);
  EXPECT_EQ(count, 0u);

  move.QuadPart = -3;
  ASSERT_EQ(s->Seek(move, STREAM_SEEK_CUR, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 8u);
  EXPECT_EQ(s->Read(buffer, 10, &count), S_FALSE);
  EXPECT_EQ(std::string(buffer, count), "rld");

  move.QuadPart = -20;
  EXPECT_EQ(s->Seek(move, STREAM_SEEK_END, &position), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(move, 7, &position), STG_E_INVALIDFUNCTION);

  ULARGE_INTEGER size{};
  size.QuadPart = 5;
  ASSERT_EQ(s->SetSize(size), S_OK);
  STATSTG stat{};
  ASSERT_EQ(s->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.cbSize.QuadPart, 5u);
  EXPECT_EQ(stat.type, STGTY_STREAM);
  EXPECT_EQ(stat.pwcsName, nullptr);
  ASSERT_EQ(s->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  ASSERT_NE(stat.pwcsName, nullptr);
  EXPECT_EQ(std::u16string(stat.pwcsName), u"f.bin");
  CoTaskMemFree(stat.pwcsName);
  EXPECT_EQ(s->Commit(STGC_DEFAULT), S_OK);
  EXPECT_EQ(folder.Read("f.bin"), "hello");
}

TEST(FileStream, AccessModesAreEnforced) {
  TempFolder folder;
  folder.Write("f.bin", "abc");
  StreamHolder reader;
  StreamHolder writer;
  ASSERT_EQ(SHCreateStreamOnFileEx(folder.Wide("f.bin").c_str(), STGM_READ, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr,
                                   &reader.stream),
            S_OK);
  ASSERT_EQ(SHCreateStreamOnFileEx(folder.Wide("f.bin").c_str(), STGM_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr,
                                   &writer.stream),
            S_OK);
  ULONG count = 7;
  char buffer[4];
  EXPECT_EQ(reader.stream->Write("x", 1, &count), STG_E_ACCESSDENIED);
  EXPECT_EQ(count, 0u);
  ULARGE_INTEGER size{};
  EXPECT_EQ(reader.stream->SetSize(size), STG_E_ACCESSDENIED);
  EXPECT_EQ(writer.stream->Read(buffer, 1, &count), STG_E_ACCESSDENIED);
  EXPECT_EQ(folder.Read("f.bin"), "abc");
}

TEST(FileStream, FullDeviceGivesMediumFullWithCount) {
  StreamHolder holder;
  ASSERT_EQ(SHCreateStreamOnFileEx(u"/dev/full", STGM_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &holder.stream),
            S_OK);
  ULONG count = 7;
  EXPECT_EQ(holder.stream->Write("abc", 3, &count), STG_E_MEDIUMFULL);
  EXPECT_EQ(count, 0u);
}

TEST(FileStream, ReadOnlyAttributeAndReferenceCounting) {
  TempFolder folder;
  const std::size_t before = OpenDescriptors();
  IStream* stream = nullptr;
  ASSERT_EQ(SHCreateStreamOnFileEx(folder.Wide("ro.bin").c_str(), STGM_CREATE | STGM_WRITE,
                                   FILE_ATTRIBUTE_READONLY, TRUE, nullptr, &stream),
            S_OK);
  struct stat info {};
  ASSERT_EQ(::stat(folder.Native("ro.bin").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0222, 0u);

  IUnknown* unknown = nullptr;
  ASSERT_EQ(stream->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(stream->QueryInterface(kUnrelatedInterface, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(OpenDescriptors(), before + 1);
  EXPECT_EQ(unknown->Release(), 1u);
  EXPECT_EQ(OpenDescriptors(), before + 1);
  EXPECT_EQ(stream->Release(), 0u);
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
