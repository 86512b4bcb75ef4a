// URL monikers: the blocking download of a URL to a file, with progress
// reported through an IBindStatusCallback supplied by the caller.
#pragma once

#include "win/base.h"
#include "win/errors.h"
#include "win/unknwn.h"

using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

// Only passed by pointer through the callback's slots; the download never
// hands them out (its GetBindInfo and OnDataAvailable are not called).
struct BINDINFO;
struct FORMATETC;
struct STGMEDIUM;

enum BINDSTATUS : ULONG {
  BINDSTATUS_FINDINGRESOURCE = 1,
  BINDSTATUS_CONNECTING = 2,
  BINDSTATUS_REDIRECTING = 3,
  BINDSTATUS_BEGINDOWNLOADDATA = 4,
  BINDSTATUS_DOWNLOADINGDATA = 5,
  BINDSTATUS_ENDDOWNLOADDATA = 6,
  BINDSTATUS_BEGINDOWNLOADCOMPONENTS = 7,
  BINDSTATUS_INSTALLINGCOMPONENTS = 8,
  BINDSTATUS_ENDDOWNLOADCOMPONENTS = 9,
  BINDSTATUS_USINGCACHEDCOPY = 10,
  BINDSTATUS_SENDINGREQUEST = 11,
  BINDSTATUS_CLASSIDAVAILABLE = 12,
  BINDSTATUS_MIMETYPEAVAILABLE = 13,
  BINDSTATUS_CACHEFILENAMEAVAILABLE = 14,
};

// Download results not already among the common HRESULTs.
constexpr HRESULT INET_E_UNKNOWN_PROTOCOL = ZV_HR(0x800C000D);
constexpr HRESULT INET_E_REDIRECT_FAILED = ZV_HR(0x800C0014);
constexpr HRESULT INET_E_INVALID_CERTIFICATE = ZV_HR(0x800C0019);

// {79EAC9C0-BAF9-11CE-8C82-00AA004BA90B}
inline constexpr IID IID_IBinding = {0x79EAC9C0, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
// {79EAC9C1-BAF9-11CE-8C82-00AA004BA90B}
inline constexpr IID IID_IBindStatusCallback = {0x79EAC9C1, 0xBAF9, 0x11CE,
                                                {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};

struct IBinding : IUnknown {
  STDMETHOD(Abort)() PURE;
  STDMETHOD(Suspend)() PURE;
  STDMETHOD(Resume)() PURE;
  STDMETHOD(SetPriority)(LONG priority) PURE;
  STDMETHOD(GetPriority)(LONG* priority) PURE;
  STDMETHOD(GetBindResult)(CLSID* protocol, DWORD* result, LPOLESTR* resultText, DWORD* reserved) PURE;
};
using LPBINDING = IBinding*;

struct IBindStatusCallback : IUnknown {
  STDMETHOD(OnStartBinding)(DWORD reserved, IBinding* binding) PURE;
  STDMETHOD(GetPriority)(LONG* priority) PURE;
  STDMETHOD(OnLowResource)(DWORD reserved) PURE;
  STDMETHOD(OnProgress)(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) PURE;
  STDMETHOD(OnStopBinding)(HRESULT result, LPCWSTR error) PURE;
  STDMETHOD(GetBindInfo)(DWORD* bindFlags, BINDINFO* bindInfo) PURE;
  STDMETHOD(OnDataAvailable)(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) PURE;
  STDMETHOD(OnObjectAvailable)(REFIID riid, IUnknown* object) PURE;
};
using LPBINDSTATUSCALLBACK = IBindStatusCallback*;

// Downloads url into fileName and returns S_OK once the whole resource is
// there. Blocks the calling thread; the callback, when given, is called on it.
HRESULT URLDownloadToFileW(LPUNKNOWN caller, LPCWSTR url, LPCWSTR fileName, DWORD reserved,
                           LPBINDSTATUSCALLBACK callback);
