// The IBinding a download hands to OnStartBinding, through which the caller
// may abort the download from any thread.
#pragma once

#include <atomic>

#include "urlmon.h"

namespace zv::net {

class Binding final : public IBinding {
 public:
  // Starts with one reference, the download's own.
  Binding() = default;

  bool Aborted() const { return aborted_.load(); }

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  STDMETHOD(Abort)() override;
  STDMETHOD(Suspend)() override;
  STDMETHOD(Resume)() override;
  STDMETHOD(SetPriority)(LONG priority) override;
  STDMETHOD(GetPriority)(LONG* priority) override;
  STDMETHOD(GetBindResult)(CLSID* protocol, DWORD* result, LPOLESTR* resultText, DWORD* reserved) override;

 private:
  ~Binding() = default;
  std::atomic<ULONG> references_{1};
  std::atomic<bool> aborted_{false};
  std::atomic<LONG> priority_{0};
};

}  // namespace zv::net
