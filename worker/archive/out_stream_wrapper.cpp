#include "worker/archive/out_stream_wrapper.h"

namespace SevenZip::intl {

OutStreamWrapper::OutStreamWrapper(IStream* stream) : stream_(stream) { stream_->AddRef(); }

OutStreamWrapper::~OutStreamWrapper() { stream_->Release(); }

HRESULT OutStreamWrapper::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_ISequentialOutStream || riid == IID_IOutStream) {
    *object = static_cast<IOutStream*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG OutStreamWrapper::AddRef() { return ++references_; }

ULONG OutStreamWrapper::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT OutStreamWrapper::Write(const void* data, UInt32 size, UInt32* processedSize) {
  ULONG written = 0;
  const HRESULT result = stream_->Write(data, size, &written);
  if (processedSize != nullptr) *processedSize = written;
  return result;
}

HRESULT OutStreamWrapper::Seek(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) {
  LARGE_INTEGER move{};
  move.QuadPart = offset;
  ULARGE_INTEGER position{};
  const HRESULT result = stream_->Seek(move, seekOrigin, &position);
  if (newPosition != nullptr) *newPosition = position.QuadPart;
  return result;
}

HRESULT OutStreamWrapper::SetSize(UInt64 newSize) {
  ULARGE_INTEGER size{};
  size.QuadPart = newSize;
  return stream_->SetSize(size);
}

}  // namespace SevenZip::intl
