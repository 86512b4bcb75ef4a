// The entry point of "msftedit.dll".
#include "text_services.h"

namespace {
constexpr HRESULT kNoAggregation = ZV_HR(0x80040110);  // CLASS_E_NOAGGREGATION
}

// The services hold the host without a reference (the host owns them), so the
// host must outlive them; they take no outer object.
STDAPI CreateTextServices(IUnknown* outer, ITextHost* host, IUnknown** services) {
  if (services == nullptr) return E_INVALIDARG;
  *services = nullptr;
  if (outer != nullptr) return kNoAggregation;
  if (host == nullptr) return E_INVALIDARG;
  *services = static_cast<ITextServices*>(new zv::text::TextServices(host));
  return S_OK;
}
