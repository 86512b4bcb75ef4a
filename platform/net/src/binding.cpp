#include "binding.h"

namespace zv::net {

HRESULT Binding::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBinding)) {
    *object = static_cast<IBinding*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Binding::AddRef() { return ++references_; }

ULONG Binding::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Binding::Abort() {
  aborted_ = true;
  return S_OK;
}

// A blocking download to a file cannot pause: the connection would time out.
HRESULT Binding::Suspend() { return E_NOTIMPL; }
HRESULT Binding::Resume() { return E_NOTIMPL; }

// The priority is kept for GetPriority; one download per call has nothing to
// rank it against.
HRESULT Binding::SetPriority(LONG priority) {
  priority_ = priority;
  return S_OK;
}

HRESULT Binding::GetPriority(LONG* priority) {
  if (!priority) return E_POINTER;
  *priority = priority_;
  return S_OK;
}

// The result is what URLDownloadToFileW returns.
HRESULT Binding::GetBindResult(CLSID*, DWORD*, LPOLESTR*, DWORD*) { return E_NOTIMPL; }

}  // namespace zv::net
