#include "worker/archive/archive_open_callback.h"

namespace SevenZip::intl {

HRESULT ArchiveOpenCallback::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IArchiveOpenCallback) {
    *object = static_cast<IArchiveOpenCallback*>(this);
  } else if (riid == IID_ICryptoGetTextPassword) {
    *object = static_cast<ICryptoGetTextPassword*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ArchiveOpenCallback::AddRef() { return ++references_; }

ULONG ArchiveOpenCallback::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ArchiveOpenCallback::SetTotal(const UInt64*, const UInt64*) { return S_OK; }

HRESULT ArchiveOpenCallback::SetCompleted(const UInt64*, const UInt64*) { return S_OK; }

// An encrypted package cannot be ours: no password is ever given.
HRESULT ArchiveOpenCallback::CryptoGetTextPassword(LibraryString*) { return E_ABORT; }

}  // namespace SevenZip::intl
