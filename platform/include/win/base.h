// Base types of the Win32-style API: the widths are those of 32-bit and 64-bit
// Windows (LONG and DWORD are 32 bits even where C's long is 64), pointers and
// pointer-sized integers follow the machine.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using BOOLEAN = BYTE;
using CHAR = char;
using WCHAR = char16_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using WORD = std::uint16_t;
using INT = int;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DWORD64 = std::uint64_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = ULONG_PTR;
using SIZE_T = std::size_t;
using SSIZE_T = std::ptrdiff_t;
using FLOAT = float;
using ATOM = WORD;
using HRESULT = std::int32_t;

using VOID = void;
using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPBOOL = BOOL*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
using LPWORD = WORD*;
using LPINT = int*;
using LPUINT = UINT*;
using PULONG = ULONG*;

using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using PWSTR = WCHAR*;
using PCWSTR = const WCHAR*;

using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

using HANDLE = void*;
using PHANDLE = HANDLE*;
using LPHANDLE = HANDLE*;

// Distinct handle types, as STRICT Windows headers declare them.
#define ZV_DECLARE_HANDLE(name) struct name##__ { int unused; }; using name = name##__*
ZV_DECLARE_HANDLE(HWND);
ZV_DECLARE_HANDLE(HINSTANCE);
ZV_DECLARE_HANDLE(HKEY);
ZV_DECLARE_HANDLE(HDC);
ZV_DECLARE_HANDLE(HGLRC);
ZV_DECLARE_HANDLE(HBITMAP);
ZV_DECLARE_HANDLE(HBRUSH);
ZV_DECLARE_HANDLE(HPEN);
ZV_DECLARE_HANDLE(HFONT);
ZV_DECLARE_HANDLE(HRGN);
ZV_DECLARE_HANDLE(HPALETTE);
ZV_DECLARE_HANDLE(HICON);
ZV_DECLARE_HANDLE(HMENU);
ZV_DECLARE_HANDLE(HMONITOR);
ZV_DECLARE_HANDLE(HRSRC);
ZV_DECLARE_HANDLE(HIMC);
#undef ZV_DECLARE_HANDLE
using HGDIOBJ = void*;
using HCURSOR = HICON;
using HMODULE = HINSTANCE;
using HGLOBAL = HANDLE;
using HLOCAL = HANDLE;
using COLORREF = DWORD;
using LPCOLORREF = DWORD*;

using FARPROC = INT_PTR (*)();
using PROC = FARPROC;

#define WINAPI
#define CALLBACK
#define APIENTRY
#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT
#define CONST const

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr DWORD MAX_PATH = 260;
constexpr DWORD INFINITE = 0xFFFFFFFF;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

struct POINT { LONG x; LONG y; };
using LPPOINT = POINT*;
struct POINTS { SHORT x; SHORT y; };
struct SIZE { LONG cx; LONG cy; };
using LPSIZE = SIZE*;
struct RECT { LONG left; LONG top; LONG right; LONG bottom; };
using LPRECT = RECT*;
using LPCRECT = const RECT*;

struct FILETIME { DWORD dwLowDateTime; DWORD dwHighDateTime; };
using LPFILETIME = FILETIME*;

struct SECURITY_ATTRIBUTES { DWORD nLength; LPVOID lpSecurityDescriptor; BOOL bInheritHandle; };
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

union LARGE_INTEGER {
  struct { DWORD LowPart; LONG HighPart; } u;
  LONGLONG QuadPart;
};
union ULARGE_INTEGER {
  struct { DWORD LowPart; DWORD HighPart; } u;
  ULONGLONG QuadPart;
};

#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xffff))
#define LOBYTE(w) (static_cast<BYTE>(static_cast<DWORD_PTR>(w) & 0xff))
#define HIBYTE(w) (static_cast<BYTE>((static_cast<DWORD_PTR>(w) >> 8) & 0xff))
#define MAKELONG(a, b) (static_cast<LONG>((static_cast<WORD>(a)) | (static_cast<DWORD>(static_cast<WORD>(b)) << 16)))
#define MAKEWORD(a, b) (static_cast<WORD>((static_cast<BYTE>(a)) | (static_cast<WORD>(static_cast<BYTE>(b)) << 8)))
#define RGB(r, g, b) (static_cast<COLORREF>((static_cast<BYTE>(r)) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(c) (LOBYTE(c))
#define GetGValue(c) (LOBYTE((static_cast<WORD>(c)) >> 8))
#define GetBValue(c) (LOBYTE((c) >> 16))
