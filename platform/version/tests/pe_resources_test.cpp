// The resource tree reader on a tree written by a Windows resource compiler:
// string-named types, languages, data addresses through the section table.

#include <gtest/gtest.h>

#include <string>

#include "file_source.h"
#include "image_resources.h"
#include "win/errors.h"
#include "win/resource.h"

namespace {

TEST(PeResources, StringTypeInTwoLanguages) {
  zv::FileSource file;
  DWORD error = ERROR_SUCCESS;
  ASSERT_TRUE(file.Open(std::string(ZV_VERSION_FIXTURES) + "/pe64_no_version.exe", &error)) << error;
  zv::ResourceDirectory tree;
  ASSERT_EQ(zv::FindImageResourceTree(file, &tree), ERROR_SUCCESS);

  struct Case {
    LPCWSTR type;
    WORD name;
    WORD language;
    DWORD error;
    std::string data;
  } cases[] = {
      {u"ZIPRES", 101, 2052, ERROR_SUCCESS, "skin"},
      {u"zipres", 101, 0x0409, ERROR_SUCCESS, "english skin"},
      {u"ZipRes", 101, LANG_NEUTRAL, ERROR_SUCCESS, "english skin"},  // any: the lowest language id
      {u"ZIPRES", 101, 0x0407, ERROR_RESOURCE_LANG_NOT_FOUND, ""},
      {u"ZIPRES", 102, 2052, ERROR_RESOURCE_NAME_NOT_FOUND, ""},
      {u"ZIPRE", 101, 2052, ERROR_RESOURCE_TYPE_NOT_FOUND, ""},
      {RT_RCDATA, 101, 2052, ERROR_RESOURCE_TYPE_NOT_FOUND, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data + " " + std::to_string(c.language));
    zv::FoundResource found;
    ASSERT_EQ(zv::FindResourceInTree(tree, zv::ResourceId::From(c.type), zv::ResourceId::From(MAKEINTRESOURCEW(c.name)),
                                     c.language, &found),
              c.error);
    if (c.error != ERROR_SUCCESS) continue;
    std::string data(found.size, '\0');
    ASSERT_TRUE(file.Read(found.dataOffset, data.data(), data.size()));
    EXPECT_EQ(data, c.data);
  }
}

}  // namespace
