// The download's progress callback: every notification of the download
// component becomes a UM_DOWNLOAD_PROGRESS posted to the window. It lives on
// the caller's stack for one download and is not reference-counted.
#pragma once

#include "urlmon.h"
#include "win/base.h"

class BindCallback : public IBindStatusCallback {
 public:
  explicit BindCallback(HWND window) : window_(window) {}
  virtual ~BindCallback() = default;
  BindCallback(const BindCallback&) = delete;
  BindCallback& operator=(const BindCallback&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  STDMETHOD(OnStartBinding)(DWORD reserved, IBinding* binding) override;
  STDMETHOD(GetPriority)(LONG* priority) override;
  STDMETHOD(OnLowResource)(DWORD reserved) override;
  STDMETHOD(OnProgress)(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) override;
  STDMETHOD(OnStopBinding)(HRESULT result, LPCWSTR error) override;
  STDMETHOD(GetBindInfo)(DWORD* bindFlags, BINDINFO* bindInfo) override;
  STDMETHOD(OnDataAvailable)(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHOD(OnObjectAvailable)(REFIID riid, IUnknown* object) override;

 private:
  HWND window_;
};
