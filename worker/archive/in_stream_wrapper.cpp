#include "worker/archive/in_stream_wrapper.h"

namespace SevenZip::intl {

InStreamWrapper::InStreamWrapper(IStream* stream) : stream_(stream) { stream_->AddRef(); }

InStreamWrapper::~InStreamWrapper() { stream_->Release(); }

HRESULT InStreamWrapper::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_ISequentialInStream || riid == IID_IInStream) {
    *object = static_cast<IInStream*>(this);
  } else if (riid == IID_IStreamGetSize) {
    *object = static_cast<IStreamGetSize*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG InStreamWrapper::AddRef() { return ++references_; }

ULONG InStreamWrapper::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT InStreamWrapper::Read(void* data, UInt32 size, UInt32* processedSize) {
  ULONG read = 0;
  const HRESULT result = stream_->Read(data, size, &read);
  if (processedSize != nullptr) *processedSize = read;
  // A short read (S_FALSE) is how the end of the file shows; the library
  // counts the bytes instead.
  return FAILED(result) ? result : S_OK;
}

HRESULT InStreamWrapper::Seek(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) {
  LARGE_INTEGER move{};
  move.QuadPart = offset;
  ULARGE_INTEGER position{};
  const HRESULT result = stream_->Seek(move, seekOrigin, &position);
  if (newPosition != nullptr) *newPosition = position.QuadPart;
  return result;
}

HRESULT InStreamWrapper::GetSize(UInt64* size) {
  STATSTG stat{};
  const HRESULT result = stream_->Stat(&stat, STATFLAG_NONAME);
  if (SUCCEEDED(result)) *size = stat.cbSize.QuadPart;
  return result;
}

}  // namespace SevenZip::intl
