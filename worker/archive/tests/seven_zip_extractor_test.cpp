#include "worker/archive/seven_zip_extractor.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive_test_support.h"
#include "handler_spy.h"
#include "windows.h"

namespace {

using archive_test::CaptureLog;
using archive_test::Shell;
using archive_test::TakeHandlersTried;
using archive_test::TempFolder;
using archive_test::Wide;
using namespace SevenZip;

class Extractor : public ::testing::Test {
 protected:
  // A 7z archive `name` of the given entries of the folder "src".
  std::string Pack(const std::string& name, const std::string& entries, const std::string& options = "") {
    const std::string archive = work_.Str(name);
    Shell("cd '" + work_.Str("src") + "' && 7z a " + options + " '" + archive + "' " + entries);
    return archive;
  }
  // Renames an item inside the archive, for names that 7z would never store
  // from a folder of its own.
  void RenameItem(const std::string& archive, const std::string& from, const std::string& to) {
    Shell("7z rn '" + archive + "' '" + from + "' '" + to + "'");
  }
  std::string Dest(const std::string& name = {}) const { return work_.Str(name.empty() ? "dest" : "dest/" + name); }
  std::u16string DestW() const { return Wide(Dest()) + u"\\"; }

  void SetUp() override {
    std::filesystem::create_directories(work_.Native("src"));
    std::filesystem::create_directories(work_.Native("dest"));
    TakeHandlersTried();
  }

  TempFolder work_;
};

TEST_F(Extractor, ListsNamesInArchiveOrderOnceAndCachesThem) {
  work_.Write("src/c.txt", "ccc");
  work_.Write("src/b/x.txt", "bb");
  work_.Write("src/a.txt", "a");
  const std::string archive = Pack("p.7z", "c.txt b a.txt");
  // The archive's own order, as 7z lists it.
  Shell("7z l -ba -slt '" + archive + "' | sed -n 's/^Path = //p' > '" + work_.Str("order") + "'");
  std::vector<std::u16string> order;
  std::istringstream listing(work_.Read("order"));
  for (std::string line; std::getline(listing, line);) order.push_back(Wide(line));
  ASSERT_EQ(order.size(), 4u);

  SevenZipExtractor extractor;
  EXPECT_TRUE(extractor.SetPath(Wide(archive)));
  EXPECT_EQ(extractor.ItemNames(), order);
  // One probe (7z first, and it opens) and one read.
  EXPECT_EQ(TakeHandlersTried(), (std::vector<BYTE>{0x07, 0x07}));
  std::filesystem::remove(archive);
  EXPECT_EQ(extractor.ItemNames(), order);
  std::vector<std::uint32_t> sizes;
  for (const auto& name : order) {
    sizes.push_back(name == u"c.txt" ? 3 : name == u"b/x.txt" ? 2 : name == u"a.txt" ? 1 : 0);
  }
  EXPECT_EQ(extractor.ItemSizes(), sizes);
  EXPECT_EQ(extractor.ItemCount(), 4u);
  EXPECT_EQ(extractor.GetFormat(), FormatSevenZip);
  EXPECT_TRUE(TakeHandlersTried().empty());
}

TEST_F(Extractor, ProbesTheCurrentFormatFirstThenTheFixedOrder) {
  work_.Write("src/a.txt", "hello");
  Shell("cd '" + work_.Str("src") + "' && 7z a -tzip ../p.zip a.txt");
  SevenZipExtractor zip;
  zip.SetPath(work_.W("p.zip"));
  EXPECT_EQ(zip.ItemNames(), (std::vector<std::u16string>{u"a.txt"}));
  EXPECT_EQ(zip.GetFormat(), FormatZip);
  EXPECT_EQ(TakeHandlersTried(), (std::vector<BYTE>{0x07, 0x0B, 0x0A, 0x08, 0x01, 0x01}));

  // A file in no format leaves 0, which is not tried again, and is read with
  // the 7z handler.
  work_.Write("plain.txt", "not an archive");
  SevenZipExtractor plain;
  plain.SetPath(work_.W("plain.txt"));
  EXPECT_TRUE(plain.ItemNames().empty());
  EXPECT_EQ(plain.GetFormat(), FormatNone);
  TakeHandlersTried();
  EXPECT_FALSE(plain.ProbeFormat());
  EXPECT_EQ(TakeHandlersTried(), (std::vector<BYTE>{0x07, 0x0B, 0x0A, 0x08, 0x01}));
  EXPECT_EQ(plain.ExtractTo(Wide(Dest())), S_FALSE);
}

TEST_F(Extractor, ForcedFormatSkipsTheProbeUntilExtractionProbesAgain) {
  work_.Write("src/a.txt", "hello");
  const std::string archive = Pack("p.7z", "a.txt");
  SevenZipExtractor extractor;
  extractor.SetPath(Wide(archive));
  extractor.ForceFormat(FormatZip);
  EXPECT_FALSE(extractor.LoadMetadata());
  EXPECT_TRUE(extractor.ItemNames().empty());
  EXPECT_EQ(extractor.GetFormat(), FormatZip);
  EXPECT_EQ(TakeHandlersTried(), (std::vector<BYTE>{0x01, 0x01}));

  EXPECT_EQ(CaptureLog([&] { EXPECT_EQ(extractor.ExtractTo(Wide(Dest())), S_OK); }),
            "FileBegin:" + Dest() + "\\a.txt\nFileDone:" + Dest() + "\\a.txt\n");
  EXPECT_EQ(TakeHandlersTried(), (std::vector<BYTE>{0x01, 0x07, 0x07}));
  EXPECT_EQ(extractor.GetFormat(), FormatSevenZip);
  EXPECT_EQ(work_.Read("dest/a.txt"), "hello");
}

TEST_F(Extractor, FindsEachOfTheFiveFormats) {
  work_.Write("src/a.txt", "hello");
  Shell("cd '" + work_.Str("src") + "' && 7z a -tzip ../p.zip a.txt && gcab -c ../p.cab a.txt && 7z a ../p.7z a.txt");
  Shell("xz --format=lzma -c '" + work_.Str("src/a.txt") + "' > '" + work_.Str("p.lzma") + "'");
  // lzma86: a filter byte (0, no x86 filter) before the lzma stream.
  Shell("(printf '\\000'; cat '" + work_.Str("p.lzma") + "') > '" + work_.Str("p.lzma86") + "'");
  struct Case {
    const char* file;
    ArchiveFormat format;
  };
  for (const Case& c : {Case{"p.7z", FormatSevenZip}, Case{"p.zip", FormatZip}, Case{"p.cab", FormatCab},
                        Case{"p.lzma", FormatLzma}, Case{"p.lzma86", FormatLzma86}}) {
    SevenZipExtractor extractor;
    extractor.SetPath(work_.W(c.file));
    EXPECT_EQ(extractor.GetFormat(), c.format) << c.file;
    const std::string dest = work_.Str(std::string("out_") + c.file);
    std::filesystem::create_directories(dest);
    CaptureLog([&] { EXPECT_EQ(extractor.ExtractTo(Wide(dest)), S_OK) << c.file; });
    // A stream without item names comes out under "[Content]".
    const bool named = c.format != FormatLzma && c.format != FormatLzma86;
    EXPECT_EQ(work_.Read(std::string("out_") + c.file + (named ? "/a.txt" : "/[Content]")), "hello") << c.file;
  }
}

TEST_F(Extractor, MissingFileGivesNoNamesAndOpenFailure) {
  SevenZipExtractor extractor;
  extractor.SetPath(work_.W("missing.7z"));
  EXPECT_TRUE(extractor.ItemNames().empty());
  EXPECT_EQ(extractor.ExtractTo(Wide(Dest())), static_cast<HRESULT>(ERROR_OPEN_FAILED));
}

// The destination D:\Game\ with a folder bin and bin\core.dll already there.
TEST_F(Extractor, ReplacesWhatIsThereAndKeepsTimesAndPermissions) {
  work_.Write("src/bin/core.dll", "new core");
  work_.Write("src/run.sh", "#!/bin/sh\n");
  ::chmod(work_.Str("src/run.sh").c_str(), 0754);
  Shell("touch -d '2021-03-04 05:06:07 UTC' '" + work_.Str("src/bin/core.dll") + "'");
  const std::string archive = Pack("p.7z", "bin run.sh");
  work_.Write("dest/bin/core.dll", "old core");
  work_.Write("dest/bin/other.dll", "stays");
  // A folder standing where a file goes is deleted with all it holds.
  work_.Write("dest/run.sh/inner/x", "in the way");

  SevenZipExtractor extractor;
  extractor.SetPath(Wide(archive));
  std::string expected;
  for (const auto& name : extractor.ItemNames()) {
    const std::string utf8(name.begin(), name.end());
    const std::string full = Dest() + "\\" + utf8;
    expected += (utf8 == "bin" ? "DirBegin:" : "FileBegin:") + full + "\nFileDone:" + full + "\n";
  }
  EXPECT_EQ(CaptureLog([&] { EXPECT_EQ(extractor.ExtractTo(Wide(Dest())), S_OK); }), expected);
  EXPECT_EQ(work_.Read("dest/bin/core.dll"), "new core");
  EXPECT_EQ(work_.Read("dest/bin/other.dll"), "stays");
  EXPECT_EQ(work_.Read("dest/run.sh"), "#!/bin/sh\n");

  struct stat info {};
  ASSERT_EQ(::stat(Dest("run.sh").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0754u);
  ASSERT_EQ(::stat(Dest("bin/core.dll").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, 1614834367);
}

TEST_F(Extractor, CreatesMissingFoldersAndKeepsUnicodeNames) {
  work_.Write("src/\xe4\xb8\xad\xe6\x96\x87/deep/\xf0\x9f\x98\x80.txt", "smile");
  const std::string archive = Pack("p.7z", "'\xe4\xb8\xad\xe6\x96\x87'");
  SevenZipExtractor extractor;
  extractor.SetPath(Wide(archive));
  // The destination is given without its trailing separator.
  CaptureLog([&] { EXPECT_EQ(extractor.ExtractTo(Wide(Dest("fresh/level"))), S_OK); });
  EXPECT_EQ(work_.Read("dest/fresh/level/\xe4\xb8\xad\xe6\x96\x87/deep/\xf0\x9f\x98\x80.txt"), "smile");
}

TEST_F(Extractor, PathInTheWayThatCannotBeDeletedEndsTheExtraction) {
  // Deletion refuses paths longer than 260 characters, so an item there
  // cannot replace what is in its way.
  const std::string deep = "dest/" + std::string(250 - work_.Str().size(), 'd');
  const std::string name = "longer_than_the_limit.txt";
  work_.Write(deep + "/" + name, "old");
  work_.Write("src/" + name, "new");
  const std::string archive = Pack("p.7z", name);
  SevenZipExtractor extractor;
  extractor.SetPath(Wide(archive));
  const std::string full = work_.Str(deep) + "\\" + name;
  EXPECT_EQ(CaptureLog([&] {
              EXPECT_EQ(extractor.ExtractTo(Wide(work_.Str(deep))), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
            }),
            "FileBegin:" + full + "\n\xe7\xa7\xbb\xe9\x99\xa4\xe8\xb7\xaf\xe5\xbe\x84\xe5\xa4\xb1\xe8\xb4\xa5:" + full +
                "\n");
  EXPECT_EQ(work_.Read(deep + "/" + name), "old");
}

TEST_F(Extractor, FolderOrFileThatCannotBeMadeEndsTheExtraction) {
  // A file stands where the item's folder should be; a name is longer than
  // a file name can be.
  work_.Write("dest/file", "a file, not a folder");
  const std::string tooLong(256, 'n');
  const std::string createFolderFailed = "\xe5\x88\x9b\xe5\xbb\xba\xe7\x9b\xae\xe5\xbd\x95\xe5\xa4\xb1\xe8\xb4\xa5:";
  const std::string createFileFailed = "\xe5\x88\x9b\xe5\xbb\xba\xe6\x96\x87\xe4\xbb\xb6\xe5\xa4\xb1\xe8\xb4\xa5:";
  struct Case {
    std::string itemName;
    HRESULT result;
    std::string failureLine;
  };
  for (const Case& c : {Case{"file/a.txt", 1631, createFolderFailed + Dest() + "\\file/\n"},
                        Case{tooLong, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE),
                             createFileFailed + Dest() + "\\" + tooLong + "\n"}}) {
    work_.Write("src/a.txt", "a");
    const std::string archive = Pack("p.7z", "a.txt");
    RenameItem(archive, "a.txt", c.itemName);
    SevenZipExtractor extractor;
    extractor.SetPath(Wide(archive));
    EXPECT_EQ(CaptureLog([&] { EXPECT_EQ(extractor.ExtractTo(Wide(Dest())), c.result); }),
              "FileBegin:" + Dest() + "\\" + c.itemName + "\n" + c.failureLine);
    std::filesystem::remove(archive);
  }
  EXPECT_EQ(work_.Read("dest/file"), "a file, not a folder");
}

TEST_F(Extractor, EncryptedPackagesEndWithAbort) {
  work_.Write("src/a.txt", "secret");
  SevenZipExtractor dataOnly;
  dataOnly.SetPath(Wide(Pack("data.7z", "a.txt", "-pPassword")));
  EXPECT_EQ(dataOnly.ItemNames(), (std::vector<std::u16string>{u"a.txt"}));
  CaptureLog([&] { EXPECT_EQ(dataOnly.ExtractTo(Wide(Dest())), E_ABORT); });

  SevenZipExtractor headersToo;
  headersToo.SetPath(Wide(Pack("headers.7z", "a.txt", "-pPassword -mhe=on")));
  EXPECT_TRUE(headersToo.ItemNames().empty());
  EXPECT_EQ(headersToo.ExtractTo(Wide(Dest())), E_ABORT);
  EXPECT_NE(work_.Read("dest/a.txt"), "secret");
}

TEST_F(Extractor, DamagedDataIsAFailureAndLeavesNoDamagedFile) {
  const std::string content(4096, 'z');
  work_.Write("src/a.bin", content);
  // Stored without compression, so the item's bytes sit right after the
  // 32-byte signature header; one of them is changed.
  const std::string archive = Pack("p.7z", "a.bin", "-mx0");
  Shell("printf 'Q' | dd of='" + archive + "' bs=1 seek=1000 conv=notrunc");
  SevenZipExtractor extractor;
  extractor.SetPath(Wide(archive));
  const std::string log = CaptureLog(
      [&] { EXPECT_EQ(extractor.ExtractTo(Wide(Dest())), HRESULT_FROM_WIN32(ERROR_INVALID_DATA)); });
  EXPECT_EQ(log, "FileBegin:" + Dest() + "\\a.bin\n\xe6\x95\xb0\xe6\x8d\xae\xe6\x8d\x9f\xe5\x9d\x8f:" + Dest() +
                     "\\a.bin\n");
  EXPECT_FALSE(std::filesystem::exists(Dest("a.bin")));
}

TEST_F(Extractor, ItemsThatWouldLandOutsideAreRefused) {
  const std::string outside = "/zv_outside_" + std::to_string(::getpid());
  for (const std::string& evil : {std::string("../evil.txt"), std::string("a/../../evil.txt"), outside + "/evil.txt",
                                  std::string("C:\\evil.txt"), std::string("\\evil.txt")}) {
    work_.Write("src/ok.txt", "ok");
    work_.Write("src/evil.txt", "evil");
    const std::string archive = Pack("p.7z", "ok.txt evil.txt");
    RenameItem(archive, "evil.txt", evil);
    SevenZipExtractor extractor;
    extractor.SetPath(Wide(archive));
    const std::string log = CaptureLog(
        [&] { EXPECT_EQ(extractor.ExtractTo(Wide(Dest())), HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME)) << evil; });
    EXPECT_NE(log.find("\xe6\x8b\x92\xe7\xbb\x9d\xe8\xb7\xaf\xe5\xbe\x84:" + evil + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("FileBegin:" + Dest() + "\\" + evil), std::string::npos) << log;
    EXPECT_FALSE(std::filesystem::exists(work_.Str("evil.txt"))) << evil;
    EXPECT_FALSE(std::filesystem::exists(outside)) << evil;
    EXPECT_FALSE(std::filesystem::exists(Dest("C:"))) << evil;
    EXPECT_FALSE(std::filesystem::exists(Dest("evil.txt"))) << evil;
    std::filesystem::remove(archive);
  }
}

}  // namespace
