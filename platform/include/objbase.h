// COM basics: apartment set-up, task memory, BSTR and PROPVARIANT (the
// automation types), and the stream interfaces with their standard slot orders.
//
// These calls have C++ linkage on purpose: the archive library we load carries
// its own SysAllocString family with a 4-byte wchar_t BSTR, and C names here
// could be bound to the wrong one at run time.
#pragma once

#include <cstring>

#include "win/base.h"
#include "win/errors.h"
#include "win/unknwn.h"

using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;
using UCHAR = unsigned char;
using DOUBLE = double;
using SCODE = LONG;
using VARTYPE = USHORT;
using VARIANT_BOOL = SHORT;
using PROPID = ULONG;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Apartment set-up.
constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;
constexpr HRESULT RPC_E_CHANGED_MODE = ZV_HR(0x80010106);

HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
void CoUninitialize();

// Task memory: what one side allocates and the other side frees.
LPVOID CoTaskMemAlloc(SIZE_T size);
LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size);
void CoTaskMemFree(LPVOID block);

// BSTR: UTF-16 text preceded by its length in bytes (4 bytes), always followed
// by a terminating zero; the pointer addresses the first character.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// Variant types.
enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_FILETIME = 64,
  VT_BLOB = 65,
  VT_CLSID = 72,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
};

// The value cell shared with the archive library: the type at offset 0, three
// reserved words, and an 8-byte value at offset 8 (16 bytes in all). Only the
// scalar, string and FILETIME members are declared; vectors and blobs are not
// used across that boundary.
struct PROPVARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    CHAR cVal;
    UCHAR bVal;
    SHORT iVal;
    USHORT uiVal;
    LONG lVal;
    ULONG ulVal;
    INT intVal;
    UINT uintVal;
    LARGE_INTEGER hVal;
    ULARGE_INTEGER uhVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    FILETIME filetime;
    BSTR bstrVal;
    LPSTR pszVal;
    LPWSTR pwszVal;
    CLSID* puuid;
    IUnknown* punkVal;
  };
};
static_assert(sizeof(PROPVARIANT) == 16);
using LPPROPVARIANT = PROPVARIANT*;
using REFPROPVARIANT = const PROPVARIANT&;

inline void PropVariantInit(PROPVARIANT* value) { std::memset(value, 0, sizeof(PROPVARIANT)); }
// Frees what the value owns (BSTR, wide and narrow strings, CLSID, interface)
// and leaves it VT_EMPTY. Unknown types give DISP_E_BADVARTYPE and are left alone.
HRESULT PropVariantClear(PROPVARIANT* value);
constexpr HRESULT DISP_E_BADVARTYPE = ZV_HR(0x80020008);

// Streams.
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

constexpr DWORD STGM_DIRECT = 0x00000000;
constexpr DWORD STGM_TRANSACTED = 0x00010000;
constexpr DWORD STGM_SIMPLE = 0x08000000;
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
constexpr DWORD STGM_PRIORITY = 0x00040000;
constexpr DWORD STGM_DELETEONRELEASE = 0x04000000;
constexpr DWORD STGM_NOSCRATCH = 0x00100000;
constexpr DWORD STGM_CREATE = 0x00001000;
constexpr DWORD STGM_CONVERT = 0x00020000;
constexpr DWORD STGM_FAILIFTHERE = 0x00000000;
constexpr DWORD STGM_NOSNAPSHOT = 0x00200000;
constexpr DWORD STGM_DIRECT_SWMR = 0x00400000;

constexpr DWORD STGTY_STORAGE = 1;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STGTY_LOCKBYTES = 3;
constexpr DWORD STGTY_PROPERTY = 4;

constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;
constexpr DWORD STATFLAG_NOOPEN = 2;

constexpr DWORD STGC_DEFAULT = 0;
constexpr DWORD STGC_OVERWRITE = 1;
constexpr DWORD STGC_ONLYIFCURRENT = 2;
constexpr DWORD STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE = 4;
constexpr DWORD STGC_CONSOLIDATE = 8;

constexpr DWORD LOCK_WRITE = 1;
constexpr DWORD LOCK_EXCLUSIVE = 2;
constexpr DWORD LOCK_ONLYONCE = 4;

struct STATSTG {
  LPOLESTR pwcsName;  // CoTaskMemAlloc'd; the caller frees it
  DWORD type;
  ULARGE_INTEGER cbSize;
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode;
  DWORD grfLocksSupported;
  CLSID clsid;
  DWORD grfStateBits;
  DWORD reserved;
};

// {0C733A30-2A1C-11CE-ADE5-00AA0044773A}
inline constexpr IID IID_ISequentialStream = {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3A}};
// {0000000C-0000-0000-C000-000000000046}
inline constexpr IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct ISequentialStream : IUnknown {
  STDMETHOD(Read)(void* buffer, ULONG size, ULONG* read) PURE;
  STDMETHOD(Write)(const void* buffer, ULONG size, ULONG* written) PURE;
};

struct IStream : ISequentialStream {
  STDMETHOD(Seek)(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) PURE;
  STDMETHOD(SetSize)(ULARGE_INTEGER newSize) PURE;
  STDMETHOD(CopyTo)(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read, ULARGE_INTEGER* written) PURE;
  STDMETHOD(Commit)(DWORD flags) PURE;
  STDMETHOD(Revert)() PURE;
  STDMETHOD(LockRegion)(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD lockType) PURE;
  STDMETHOD(UnlockRegion)(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD lockType) PURE;
  STDMETHOD(Stat)(STATSTG* stat, DWORD flags) PURE;
  STDMETHOD(Clone)(IStream** clone) PURE;
};
using LPSTREAM = IStream*;
