// The 7-Zip format library is reachable as the module "7z.dll".
#include <cwchar>

#include <gtest/gtest.h>

#include "win/kernel.h"
#include "win/unknwn.h"

namespace {

using CreateObjectProc = HRESULT (*)(const GUID*, const GUID*, void**);
using SysAllocStringProc = wchar_t* (*)(const wchar_t*);
using SysFreeStringProc = void (*)(wchar_t*);

// The library's 7z handler and its archive reader interface.
constexpr GUID kSevenZipHandler = {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};
constexpr GUID kInArchive = {0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, 0x06, 0x00, 0x60, 0x00, 0x00}};

template <typename Proc>
Proc Find(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

TEST(ArchiveLibrary, CreatesReadersThroughTheModule) {
  HMODULE module = LoadLibraryW(u"7z.dll");
  ASSERT_NE(module, nullptr);
  auto createObject = Find<CreateObjectProc>(module, "CreateObject");
  ASSERT_NE(createObject, nullptr);
  void* reader = nullptr;
  ASSERT_EQ(createObject(&kSevenZipHandler, &kInArchive, &reader), S_OK);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(static_cast<IUnknown*>(reader)->Release(), 0u);
}

TEST(ArchiveLibrary, HandsOutTheLibrarysOwnStrings) {
  HMODULE module = LoadLibraryW(u"7z.dll");
  ASSERT_NE(module, nullptr);
  auto allocate = Find<SysAllocStringProc>(module, "SysAllocString");
  auto release = Find<SysFreeStringProc>(module, "SysFreeString");
  ASSERT_NE(allocate, nullptr);
  ASSERT_NE(release, nullptr);
  wchar_t* text = allocate(L"secret");
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, L"secret");
  // The library keeps the byte length just before the characters.
  EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(text)[-1], 6 * sizeof(wchar_t));
  release(text);
}

}  // namespace
