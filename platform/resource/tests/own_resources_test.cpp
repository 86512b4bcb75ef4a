// Resources embedded into this test program by zv_add_resources (see the
// folder's CMakeLists.txt), found the way the product finds its own.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win/errors.h"
#include "win/kernel.h"
#include "win/resource.h"

namespace {

std::string ReadSourceFile(const std::string& name) {
  std::ifstream file(std::string(ZV_RESOURCE_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string ResourceBytes(HMODULE module, HRSRC found) {
  HGLOBAL loaded = LoadResource(module, found);
  EXPECT_NE(loaded, nullptr);
  const auto* bytes = static_cast<const char*>(LockResource(loaded));
  std::string copy(bytes, SizeofResource(module, found));
  EXPECT_EQ(FreeResource(loaded), FALSE);
  return copy;
}

TEST(OwnResources, SkinPackageByStringTypeAndNumberedName) {
  for (HMODULE module : {static_cast<HMODULE>(nullptr), GetModuleHandleW(nullptr)}) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(101), u"ZIPRES");
    ASSERT_NE(found, nullptr) << GetLastError();
    EXPECT_EQ(ResourceBytes(module, found), ReadSourceFile("zipres.bin"));
  }
}

TEST(OwnResources, StringTypesAndNamesIgnoreCase) {
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(101), u"zipRes"), nullptr);
  HRSRC found = FindResourceW(nullptr, u"mixed NAME", u"custom type");
  ASSERT_NE(found, nullptr) << GetLastError();
  EXPECT_EQ(ResourceBytes(nullptr, found), ReadSourceFile("english.txt"));
}

TEST(OwnResources, ManifestAndEmptyResource) {
  HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  EXPECT_EQ(ResourceBytes(nullptr, manifest), ReadSourceFile("manifest.xml"));
  HRSRC empty = FindResourceW(nullptr, MAKEINTRESOURCEW(9), RT_RCDATA);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, empty), 0u);
}

// RT_RCDATA 7 exists in English (0x0409) and Chinese (0x0804); 8 only neutral.
TEST(OwnResources, LanguageSelection) {
  struct Case {
    WORD name;
    WORD language;
    const char* expectedFile;  // nullptr: not found
  } cases[] = {
      {7, 0x0409, "english.txt"},
      {7, 0x0804, "chinese.txt"},
      {7, 0x0000, "english.txt"},  // neutral asks for any: the lowest language id
      {7, 0x0400, "english.txt"},  // the user's default language is a neutral request too
      {7, 0x0407, nullptr},        // German: neither present nor neutral
      {8, 0x0407, "neutral.txt"},  // a neutral resource stands in for any language
      {8, 0x0000, "neutral.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " / " << std::hex << c.language);
    SetLastError(0);
    HRSRC found = FindResourceExW(nullptr, RT_RCDATA, MAKEINTRESOURCEW(c.name), c.language);
    if (c.expectedFile == nullptr) {
      EXPECT_EQ(found, nullptr);
      EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
    } else {
      ASSERT_NE(found, nullptr) << GetLastError();
      EXPECT_EQ(ResourceBytes(nullptr, found), ReadSourceFile(c.expectedFile));
    }
  }
}

TEST(OwnResources, FailuresGiveTheWindowsCodes) {
  struct Case {
    HMODULE module;
    LPCWSTR type;
    LPCWSTR name;
    DWORD error;
  } cases[] = {
      {nullptr, u"NOSUCHTYPE", MAKEINTRESOURCEW(101), ERROR_RESOURCE_TYPE_NOT_FOUND},
      {nullptr, RT_BITMAP, MAKEINTRESOURCEW(1), ERROR_RESOURCE_TYPE_NOT_FOUND},
      {nullptr, u"ZIPRES", MAKEINTRESOURCEW(102), ERROR_RESOURCE_NAME_NOT_FOUND},
      {nullptr, u"ZIPRES", u"SKIN", ERROR_RESOURCE_NAME_NOT_FOUND},
      {nullptr, RT_RCDATA, nullptr, ERROR_INVALID_PARAMETER},
      // Any other module is one of the layer's built-in ones, which carry no resources.
      {reinterpret_cast<HMODULE>(0x1234), u"ZIPRES", MAKEINTRESOURCEW(101), ERROR_RESOURCE_DATA_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(FindResourceW(c.module, c.name, c.type), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST(OwnResources, HandlesThatAreNotResourcesAreRefused) {
  int notAResource = 0;
  for (HRSRC bad : {static_cast<HRSRC>(nullptr), reinterpret_cast<HRSRC>(&notAResource)}) {
    SetLastError(0);
    EXPECT_EQ(LoadResource(nullptr, bad), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SizeofResource(nullptr, bad), 0u);
  }
}

struct GroupEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};

// The icon group lists each image of the .ico file under the id of an RT_ICON
// resource that holds exactly that image.
TEST(OwnResources, IconGroupReferencesItsIcons) {
  HRSRC group = FindResourceExW(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEW(102), 2052);
  ASSERT_NE(group, nullptr) << GetLastError();
  const std::string header = ResourceBytes(nullptr, group);
  const std::string ico = ReadSourceFile("two_images.ico");
  ASSERT_EQ(header.size(), 6u + 2 * 14);
  EXPECT_EQ(header.substr(0, 6), ico.substr(0, 6));
  for (int i = 0; i < 2; ++i) {
    GroupEntry entry;
    std::memcpy(&entry, header.data() + 6 + 14 * i, 12);
    std::memcpy(&entry.id, header.data() + 6 + 14 * i + 12, 2);
    DWORD imageOffset;
    std::memcpy(&imageOffset, ico.data() + 6 + 16 * i + 12, 4);
    EXPECT_EQ(std::memcmp(header.data() + 6 + 14 * i, ico.data() + 6 + 16 * i, 12), 0);
    HRSRC icon = FindResourceExW(nullptr, RT_ICON, MAKEINTRESOURCEW(entry.id), 2052);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(ResourceBytes(nullptr, icon), ico.substr(imageOffset, entry.bytes));
  }
}

// A program that declares no resources still links and finds none.
TEST(OwnResources, ProgramWithoutResources) {
  FILE* probe = popen(ZV_RESOURCE_PROBE, "r");
  ASSERT_NE(probe, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof(line), probe), nullptr);
  EXPECT_EQ(pclose(probe), 0);
  EXPECT_EQ(std::string(line), "not found " + std::to_string(ERROR_RESOURCE_DATA_NOT_FOUND) + "\n");
}

}  // namespace
