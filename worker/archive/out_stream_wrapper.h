// A file being unpacked, as the format library writes it: a platform stream
// behind the library's output stream interface. It translates calls and
// nothing more; releasing its last reference closes the file.
#pragma once

#include <atomic>

#include "objbase.h"
#include "worker/archive/seven_zip_interfaces.h"

namespace SevenZip::intl {

class OutStreamWrapper : public IOutStream {
 public:
  // Takes a reference to `stream`, released when the wrapper goes.
  explicit OutStreamWrapper(IStream* stream);
  OutStreamWrapper(const OutStreamWrapper&) = delete;
  OutStreamWrapper& operator=(const OutStreamWrapper&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;

  STDMETHOD(Write)(const void* data, UInt32 size, UInt32* processedSize) override;
  STDMETHOD(Seek)(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) override;
  STDMETHOD(SetSize)(UInt64 newSize) override;

 protected:
  virtual ~OutStreamWrapper();

 private:
  std::atomic<ULONG> references_{0};
  IStream* stream_;
};

}  // namespace SevenZip::intl
