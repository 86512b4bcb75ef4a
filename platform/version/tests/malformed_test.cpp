// Damaged program files and damaged blocks: every answer is either a proper
// result or a failure with a reason, never a read outside what was given (the
// sanitizer watches every buffer here, which is sized exactly).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "win/errors.h"
#include "win/kernel.h"
#include "win/version.h"
#include "zv/text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const char16_t* kQueries[] = {u"\\",
                              u"\\VarFileInfo\\Translation",
                              u"\\StringFileInfo",
                              u"\\StringFileInfo\\080404b0",
                              u"\\StringFileInfo\\080404b0\\FileVersion",
                              u"\\StringFileInfo\\040904b0\\FileVersion",
                              u"\\StringFileInfo\\080404b0\\ProductName"};

// Runs every query, wide and ANSI, reading each answer to its end.
void QueryEverything(Bytes& block) {
  for (const char16_t* query : kQueries) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), query, &value, &length) && length > 0) {
      volatile std::uint8_t sink = static_cast<const std::uint8_t*>(value)[0];
      (void)sink;
      if (std::u16string_view(query).ends_with(u"Version") || std::u16string_view(query).ends_with(u"Name")) {
        EXPECT_LE(std::char_traits<char16_t>::length(static_cast<const char16_t*>(value)), block.size());
      }
    }
    const std::string ansi = zv::ToUtf8(query);
    if (VerQueryValueA(block.data(), ansi.c_str(), &value, &length) && length > 0) {
      volatile std::uint8_t sink = static_cast<const std::uint8_t*>(value)[length - 1];
      (void)sink;
    }
  }
}

class DamagedFiles : public testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() / ("zv_version_damaged_" + std::to_string(getpid()) + ".exe");
    wide_ = zv::FromUtf8(path_.string());
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd_, 0);
  }
  void TearDown() override {
    close(fd_);
    std::filesystem::remove(path_);
  }

  // Writes `bytes` as the file and reads its version information. A size
  // means a block that GetFileVersionInfoW hands out and that can be queried;
  // no size means a reason.
  void Probe(const Bytes& bytes, std::size_t length) {
    // Rewritten in place: creating or truncating a file anew costs far more.
    ASSERT_EQ(pwrite(fd_, bytes.data(), length, 0), static_cast<ssize_t>(length));
    ASSERT_EQ(ftruncate(fd_, static_cast<off_t>(length)), 0);
    Check();
  }

  // Cuts the file off at each length, longest first, so that the file is
  // written once and only shortened.
  void CutAt(const Bytes& whole, std::vector<std::size_t> lengths) {
    ASSERT_EQ(pwrite(fd_, whole.data(), whole.size(), 0), static_cast<ssize_t>(whole.size()));
    std::sort(lengths.rbegin(), lengths.rend());
    for (std::size_t length : lengths) {
      ASSERT_EQ(ftruncate(fd_, static_cast<off_t>(length)), 0);
      Check();
    }
  }

  // Damages one byte of the file at a time, in place, and probes each.
  void DamageEachByte(const Bytes& whole, const std::vector<std::pair<std::size_t, std::size_t>>& regions) {
    ASSERT_EQ(pwrite(fd_, whole.data(), whole.size(), 0), static_cast<ssize_t>(whole.size()));
    ASSERT_EQ(ftruncate(fd_, static_cast<off_t>(whole.size())), 0);
    for (const auto& [begin, end] : regions) {
      ASSERT_LE(end, whole.size());
      for (std::size_t at = begin; at < end; ++at) {
        for (std::uint8_t value : {0x00, 0xFF}) {
          ASSERT_EQ(pwrite(fd_, &value, 1, static_cast<off_t>(at)), 1);
          Check();
        }
        ASSERT_EQ(pwrite(fd_, &whole[at], 1, static_cast<off_t>(at)), 1);
      }
    }
  }

  void Check() {
    SetLastError(0);
    const DWORD size = GetFileVersionInfoSizeW(wide_.c_str(), nullptr);
    if (size == 0) {
      EXPECT_NE(GetLastError(), ERROR_SUCCESS);
      return;
    }
    Bytes block(size);
    ASSERT_TRUE(GetFileVersionInfoW(wide_.c_str(), 0, size, block.data())) << GetLastError();
    QueryEverything(block);
  }

  std::filesystem::path path_;
  std::u16string wide_;
  int fd_ = -1;
};

std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, sizeof(value));
  return value;
}

// The bytes that a reader of resources looks at: the headers up to the end
// of the section table, and the resource section. (Damage elsewhere, in code
// or imports, cannot change an answer.)
std::vector<std::pair<std::size_t, std::size_t>> ReadRegions(const Bytes& pe) {
  const std::size_t fileHeader = Get32(pe, 0x3C) + 4;
  const std::size_t sectionCount = pe[fileHeader + 2] | pe[fileHeader + 3] << 8;
  const std::size_t sectionTable = fileHeader + 20 + (pe[fileHeader + 16] | pe[fileHeader + 17] << 8);
  std::vector<std::pair<std::size_t, std::size_t>> regions = {{0, sectionTable + 40 * sectionCount}};
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t header = sectionTable + 40 * i;
    if (std::memcmp(pe.data() + header, ".rsrc", 6) == 0)
      regions.emplace_back(Get32(pe, header + 20), Get32(pe, header + 20) + Get32(pe, header + 16));
  }
  return regions;
}

std::uint64_t Get64(const Bytes& bytes, std::size_t at) {
  std::uint64_t value;
  std::memcpy(&value, bytes.data() + at, sizeof(value));
  return value;
}

std::size_t Get16(const Bytes& bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }

// In one of our own programs: the file header, the fields that locate a
// section (name, type, offset, size) in the entries of the names section, of
// the resource section and of one other section, and the resources.
struct ElfLayout {
  std::vector<std::pair<std::size_t, std::size_t>> regions;
  std::size_t table = 0;
  std::pair<std::size_t, std::size_t> resources;
};

ElfLayout ReadElfLayout(const Bytes& elf) {
  ElfLayout layout;
  layout.table = Get64(elf, 0x28);
  const std::size_t namesEntry = layout.table + 64 * Get16(elf, 0x3E);
  const std::size_t names = Get64(elf, namesEntry + 24);
  layout.regions = {{0, 64}};
  auto addEntry = [&](std::size_t header) {
    layout.regions.emplace_back(header, header + 8);
    layout.regions.emplace_back(header + 24, header + 40);
  };
  addEntry(namesEntry);
  addEntry(layout.table + 64);
  for (std::size_t i = 0; i < Get16(elf, 0x3C); ++i) {
    const std::size_t header = layout.table + 64 * i;
    if (std::strcmp(reinterpret_cast<const char*>(elf.data()) + names + Get32(elf, header), "zv_resources") != 0)
      continue;
    addEntry(header);
    layout.resources = {Get64(elf, header + 24), Get64(elf, header + 24) + Get64(elf, header + 32)};
    layout.regions.push_back(layout.resources);
  }
  return layout;
}

// Cut off anywhere in what a reader of resources looks at (and at a spread
// of other places).
TEST_F(DamagedFiles, CutOffAnywhere) {
  for (const char* name : {"pe64_two_translations.exe", "pe32_two_translations.exe"}) {
    const Bytes whole = ReadAll(std::string(ZV_VERSION_FIXTURES) + "/" + name);
    ASSERT_GT(whole.size(), 512u) << name;
    std::vector<std::size_t> lengths;
    for (const auto& [begin, end] : ReadRegions(whole)) {
      for (std::size_t length = begin; length <= end; ++length) lengths.push_back(length);
    }
    for (std::size_t length = 0; length < whole.size(); length += 61) lengths.push_back(length);
    CutAt(whole, lengths);
    // Cut off, the headers no longer lead anywhere.
    Probe(whole, 64);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  }
  // Our own programs: the section table is at the end, the resources before it.
  const Bytes program = ReadAll(ZV_VERSION_FIXTURE_PROGRAM);
  const ElfLayout layout = ReadElfLayout(program);
  ASSERT_LT(layout.resources.first, layout.resources.second);
  std::vector<std::size_t> lengths;
  for (std::size_t length = layout.resources.first; length <= layout.resources.second; ++length) lengths.push_back(length);
  for (std::size_t length = layout.table; length <= program.size(); length += 8) lengths.push_back(length);
  for (std::size_t length = 0; length < program.size(); length += program.size() / 97 + 1) lengths.push_back(length);
  CutAt(program, lengths);
}

TEST_F(DamagedFiles, AnyByteChanged) {
  for (const char* name : {"pe64_two_translations.exe", "pe32_two_translations.exe"}) {
    const Bytes whole = ReadAll(std::string(ZV_VERSION_FIXTURES) + "/" + name);
    ASSERT_GT(whole.size(), 512u) << name;
    const auto regions = ReadRegions(whole);
    ASSERT_EQ(regions.size(), 2u) << "no resource section in " << name;
    DamageEachByte(whole, regions);
  }
  const Bytes program = ReadAll(ZV_VERSION_FIXTURE_PROGRAM);
  const ElfLayout layout = ReadElfLayout(program);
  ASSERT_EQ(layout.regions.size(), 8u) << "no resource section in our own program";
  DamageEachByte(program, layout.regions);
}

TEST_F(DamagedFiles, NewHeaderOutsideTheFile) {
  Bytes whole = ReadAll(std::string(ZV_VERSION_FIXTURES) + "/pe64_two_translations.exe");
  ASSERT_GT(whole.size(), 512u);
  const std::uint32_t beyond = static_cast<std::uint32_t>(whole.size());
  std::memcpy(whole.data() + 0x3C, &beyond, sizeof(beyond));
  Probe(whole, whole.size());
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
}

// A block damaged in memory, word by word (all but the root's length, which
// is what tells the block's extent).
TEST(DamagedBlocks, AnyWordChanged) {
  const std::u16string path = zv::FromUtf8(std::string(ZV_VERSION_FIXTURES) + "/pe64_two_translations.exe");
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  Bytes good(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, good.data()));
  WORD blockLength;
  std::memcpy(&blockLength, good.data(), sizeof(blockLength));
  for (std::size_t at = 2; at + 2 <= blockLength; at += 2) {
    for (WORD value : {0x0000, 0x0001, 0x0006, 0x7FFF, 0xFFFF}) {
      Bytes block = good;
      std::memcpy(block.data() + at, &value, sizeof(value));
      QueryEverything(block);
    }
  }
}

}  // namespace
