// The callback the format library gets while it opens an archive. It reports
// nothing and never gives a password.
#pragma once

#include <atomic>

#include "worker/archive/seven_zip_interfaces.h"

namespace SevenZip::intl {

class ArchiveOpenCallback : public IArchiveOpenCallback, public ICryptoGetTextPassword {
 public:
  ArchiveOpenCallback() = default;
  ArchiveOpenCallback(const ArchiveOpenCallback&) = delete;
  ArchiveOpenCallback& operator=(const ArchiveOpenCallback&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;

  STDMETHOD(SetTotal)(const UInt64* files, const UInt64* bytes) override;
  STDMETHOD(SetCompleted)(const UInt64* files, const UInt64* bytes) override;
  STDMETHOD(CryptoGetTextPassword)(LibraryString* password) override;

 protected:
  virtual ~ArchiveOpenCallback() = default;

 private:
  std::atomic<ULONG> references_{0};
};

}  // namespace SevenZip::intl
