// The library calls the extraction callbacks on the thread that called
// Extract, even for a solid LZMA2 archive that it could decode on threads of
// its own. A recording callback observes the threads; it writes to real
// files so that the library runs its whole output path.
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "archive_test_support.h"
#include "worker/archive/archive_open_callback.h"
#include "worker/archive/file_system.h"
#include "worker/archive/format_library.h"
#include "worker/archive/in_stream_wrapper.h"
#include "worker/archive/library_ref.h"
#include "worker/archive/out_stream_wrapper.h"

namespace {

using archive_test::Shell;
using archive_test::TempFolder;
using namespace SevenZip;

class ThreadRecordingCallback : public IArchiveExtractCallback {
 public:
  explicit ThreadRecordingCallback(std::u16string folder) : folder_(std::move(folder)) {}

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IArchiveExtractCallback) {
      *object = static_cast<IArchiveExtractCallback*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
  STDMETHOD_(ULONG, Release)() override { return --references_; }
  STDMETHOD(SetTotal)(UInt64) override { return Record(); }
  STDMETHOD(SetCompleted)(const UInt64*) override { return Record(); }
  STDMETHOD(GetStream)(UInt32 index, ISequentialOutStream** outStream, Int32) override {
    Record();
    Ref<IStream> file(CreateWriteStream(folder_ + u"/" + std::u16string(1, static_cast<char16_t>(u'a' + index))));
    if (!file) return E_FAIL;
    auto* wrapper = new intl::OutStreamWrapper(file.Get());
    wrapper->AddRef();
    *outStream = wrapper;
    return S_OK;
  }
  STDMETHOD(PrepareOperation)(Int32) override { return Record(); }
  STDMETHOD(SetOperationResult)(Int32 result) override {
    Record();
    return result == kOperationResultOk ? S_OK : E_FAIL;
  }

  std::set<std::thread::id> Threads() {
    std::lock_guard guard(lock_);
    return threads_;
  }

 private:
  HRESULT Record() {
    std::lock_guard guard(lock_);
    threads_.insert(std::this_thread::get_id());
    return S_OK;
  }

  std::u16string folder_;
  std::atomic<ULONG> references_{0};
  std::mutex lock_;
  std::set<std::thread::id> threads_;
};

TEST(CallingThread, ExtractionCallbacksComeOnTheCallersThread) {
  TempFolder work;
  // Twelve compressible files in one solid LZMA2 stream cut into small
  // chunks, which the library can decode in parallel.
  for (int i = 0; i < 12; ++i) {
    std::string text;
    for (int line = 0; line < 40000; ++line) text += "line " + std::to_string(line * (i + 7)) + " of file\n";
    work.Write("src/f" + std::to_string(i) + ".txt", text);
  }
  Shell("cd '" + work.Str("src") + "' && 7z a -ms=on -mmt=2 -m0=lzma2:d=1m:c=1m '" + work.Str("p.7z") + "' .");
  std::filesystem::create_directories(work.Native("out"));

  Ref<IStream> file(OpenReadStream(work.W("p.7z")));
  ASSERT_TRUE(file);
  Ref<IInArchive> reader;
  ASSERT_EQ(CreateReader(FormatSevenZip, reader.Out()), S_OK);
  Ref<intl::InStreamWrapper> stream(new intl::InStreamWrapper(file.Get()), AddReference);
  Ref<intl::ArchiveOpenCallback> openCallback(new intl::ArchiveOpenCallback, AddReference);
  ASSERT_EQ(reader->Open(stream.Get(), nullptr, openCallback.Get()), S_OK);
  ThreadRecordingCallback callback(work.W("out"));
  ASSERT_EQ(reader->Extract(nullptr, 0xFFFFFFFF, FALSE, &callback), S_OK);
  reader->Close();
  EXPECT_EQ(callback.Threads(), std::set<std::thread::id>{std::this_thread::get_id()});
}

}  // namespace
