// The callback the format library asks while it unpacks: where each item
// goes, what is cleared out of its way, how its file is opened, and its times
// and attributes once written. Every step and failure gets a log line.
#pragma once

#include <atomic>
#include <string>

#include "worker/archive/seven_zip_interfaces.h"

namespace SevenZip::intl {

class ArchiveExtractCallback : public IArchiveExtractCallback,
                               public ICryptoGetTextPassword,
                               public ICompressProgressInfo {
 public:
  // Takes a reference to `reader`, released when the callback goes. A
  // destination without a trailing separator gets "\" added.
  ArchiveExtractCallback(IInArchive* reader, const std::u16string& destination);
  ArchiveExtractCallback(const ArchiveExtractCallback&) = delete;
  ArchiveExtractCallback& operator=(const ArchiveExtractCallback&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;

  STDMETHOD(SetTotal)(UInt64 total) override;
  STDMETHOD(SetCompleted)(const UInt64* completeValue) override;
  STDMETHOD(GetStream)(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode) override;
  STDMETHOD(PrepareOperation)(Int32 askExtractMode) override;
  STDMETHOD(SetOperationResult)(Int32 operationResult) override;

  STDMETHOD(CryptoGetTextPassword)(LibraryString* password) override;
  STDMETHOD(SetRatioInfo)(const UInt64* inSize, const UInt64* outSize) override;

 protected:
  virtual ~ArchiveExtractCallback();

 private:
  HRESULT ReadPath(UInt32 index);
  HRESULT ReadItemProperties(UInt32 index);
  HRESULT OpenItemFile(ISequentialOutStream** outStream);
  void ApplyTimesAndAttributes();

  std::atomic<ULONG> references_{0};
  IInArchive* reader_;
  std::u16string destination_;
  std::u16string relativePath_;
  std::u16string fullPath_;
  bool isDirectory_ = false;
  bool hasAttributes_ = false;
  UInt32 attributes_ = 0;
  bool hasModifiedTime_ = false;
  FILETIME modifiedTime_{};
  bool hasAccessedTime_ = false;
  FILETIME accessedTime_{};
  bool hasCreatedTime_ = false;
  FILETIME createdTime_{};
  bool hasSize_ = false;
  UInt64 size_ = 0;
};

}  // namespace SevenZip::intl
