// The archive file, as the format library reads it: a platform stream behind
// the library's input stream interfaces. It translates calls and nothing more.
#pragma once

#include <atomic>

#include "objbase.h"
#include "worker/archive/seven_zip_interfaces.h"

namespace SevenZip::intl {

class InStreamWrapper : public IInStream, public IStreamGetSize {
 public:
  // Takes a reference to `stream`, released when the wrapper goes.
  explicit InStreamWrapper(IStream* stream);
  InStreamWrapper(const InStreamWrapper&) = delete;
  InStreamWrapper& operator=(const InStreamWrapper&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;

  STDMETHOD(Read)(void* data, UInt32 size, UInt32* processedSize) override;
  STDMETHOD(Seek)(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) override;
  STDMETHOD(GetSize)(UInt64* size) override;

 protected:
  virtual ~InStreamWrapper();

 private:
  std::atomic<ULONG> references_{0};
  IStream* stream_;
};

}  // namespace SevenZip::intl
