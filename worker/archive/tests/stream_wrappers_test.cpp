#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "archive_test_support.h"
#include "worker/archive/file_system.h"
#include "worker/archive/in_stream_wrapper.h"
#include "worker/archive/library_ref.h"
#include "worker/archive/out_stream_wrapper.h"
#include "shlwapi.h"

namespace {

using archive_test::TempFolder;
using namespace SevenZip;

constexpr IID kUnrelated = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

std::size_t OpenDescriptors() {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

TEST(InStreamWrapper, ReadsSeeksAndSizesThroughThePlatformStream) {
  TempFolder folder;
  folder.Write("a.bin", "0123456789");
  Ref<IStream> file(OpenReadStream(folder.W("a.bin")));
  ASSERT_TRUE(file);
  Ref<intl::InStreamWrapper> wrapper(new intl::InStreamWrapper(file.Get()), AddReference);

  UInt64 size = 0;
  ASSERT_EQ(wrapper->GetSize(&size), S_OK);
  EXPECT_EQ(size, 10u);
  UInt64 position = 0;
  ASSERT_EQ(wrapper->Seek(-4, STREAM_SEEK_END, &position), S_OK);
  EXPECT_EQ(position, 6u);
  char buffer[8] = {};
  UInt32 processed = 99;
  // Fewer bytes than asked is no failure for the library.
  EXPECT_EQ(wrapper->Read(buffer, 8, &processed), S_OK);
  EXPECT_EQ(std::string(buffer, processed), "6789");
  EXPECT_EQ(wrapper->Read(buffer, 8, &processed), S_OK);
  EXPECT_EQ(processed, 0u);
  EXPECT_EQ(wrapper->Seek(-20, STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
}

TEST(InStreamWrapper, AnswersItsInterfacesAndHoldsTheFileUntilReleased) {
  TempFolder folder;
  folder.Write("a.bin", "x");
  const std::size_t before = OpenDescriptors();
  IStream* file = OpenReadStream(folder.W("a.bin"));
  ASSERT_NE(file, nullptr);
  auto* wrapper = new intl::InStreamWrapper(file);
  file->Release();  // the wrapper's reference keeps the file open
  EXPECT_EQ(OpenDescriptors(), before + 1);

  void* object = nullptr;
  for (const IID& id : {IID_IUnknown, IID_ISequentialInStream, IID_IInStream}) {
    ASSERT_EQ(wrapper->QueryInterface(id, &object), S_OK);
    EXPECT_EQ(object, static_cast<IInStream*>(wrapper));
  }
  ASSERT_EQ(wrapper->QueryInterface(IID_IStreamGetSize, &object), S_OK);
  EXPECT_EQ(object, static_cast<IStreamGetSize*>(wrapper));
  // The size interface forwards reference counting to the object.
  EXPECT_EQ(static_cast<IStreamGetSize*>(object)->AddRef(), 5u);
  EXPECT_EQ(static_cast<IStreamGetSize*>(object)->Release(), 4u);
  for (const IID& id : {kUnrelated, IID_IOutStream, IID_IStream}) {
    EXPECT_EQ(wrapper->QueryInterface(id, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }
  for (int i = 0; i < 3; ++i) wrapper->Release();
  EXPECT_EQ(OpenDescriptors(), before + 1);
  EXPECT_EQ(wrapper->Release(), 0u);
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(OutStreamWrapper, WritesSeeksAndResizesThroughThePlatformStream) {
  TempFolder folder;
  Ref<IStream> file(CreateWriteStream(folder.W("out.bin")));
  ASSERT_TRUE(file);
  Ref<intl::OutStreamWrapper> wrapper(new intl::OutStreamWrapper(file.Get()), AddReference);
  UInt32 processed = 0;
  ASSERT_EQ(wrapper->Write("hello world", 11, &processed), S_OK);
  EXPECT_EQ(processed, 11u);
  UInt64 position = 0;
  ASSERT_EQ(wrapper->Seek(0, STREAM_SEEK_SET, &position), S_OK);
  EXPECT_EQ(position, 0u);
  ASSERT_EQ(wrapper->Write("J", 1, nullptr), S_OK);
  ASSERT_EQ(wrapper->SetSize(5), S_OK);
  wrapper.Reset();
  file.Reset();
  EXPECT_EQ(folder.Read("out.bin"), "Jello");
}

TEST(OutStreamWrapper, PassesAShortWriteOnWithThePlatformsCode) {
  // The full device takes no byte: the platform reports a full medium.
  IStream* full = nullptr;
  ASSERT_EQ(SHCreateStreamOnFileEx(u"/dev/full", STGM_WRITE, 0x80, FALSE, nullptr, &full), S_OK);
  Ref<IStream> file(full);
  Ref<intl::OutStreamWrapper> wrapper(new intl::OutStreamWrapper(file.Get()), AddReference);
  UInt32 processed = 99;
  EXPECT_EQ(wrapper->Write("abc", 3, &processed), STG_E_MEDIUMFULL);
  EXPECT_EQ(processed, 0u);

  void* object = nullptr;
  for (const IID& id : {IID_IUnknown, IID_ISequentialOutStream, IID_IOutStream}) {
    ASSERT_EQ(wrapper->QueryInterface(id, &object), S_OK);
    EXPECT_EQ(object, static_cast<IOutStream*>(wrapper.Get()));
    wrapper->Release();
  }
  EXPECT_EQ(wrapper->QueryInterface(IID_IInStream, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

}  // namespace
