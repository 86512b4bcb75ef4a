// COM set-up per thread. There is no marshalling in this layer: the
// apartment is only book-kept, so that each thread's first CoInitialize
// answers S_OK, later ones S_FALSE, and a change of concurrency model is
// refused as on Windows.

#include "objbase.h"

namespace {

struct Apartment {
  unsigned initCount = 0;
  bool singleThreaded = false;
};

thread_local Apartment apartment;

}  // namespace

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (reserved != nullptr) return E_INVALIDARG;
  const bool singleThreaded = (coInit & COINIT_APARTMENTTHREADED) != 0;
  if (apartment.initCount > 0) {
    if (apartment.singleThreaded != singleThreaded) return RPC_E_CHANGED_MODE;
    ++apartment.initCount;
    return S_FALSE;
  }
  apartment = Apartment{1, singleThreaded};
  return S_OK;
}

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

// Each successful CoInitialize (S_OK or S_FALSE) is matched by one call; extra
// calls on an uninitialised thread do nothing.
void CoUninitialize() {
  if (apartment.initCount > 0) --apartment.initCount;
}
