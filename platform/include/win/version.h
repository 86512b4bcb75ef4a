// Version information of executable files: the VS_VERSIONINFO block of a
// program's version resource and the queries into it.
#pragma once

#include "win/base.h"
#include "win/resource.h"

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
constexpr DWORD VS_FF_DEBUG = 0x01;
constexpr DWORD VS_FF_PRERELEASE = 0x02;
constexpr DWORD VS_FF_PATCHED = 0x04;
constexpr DWORD VS_FF_PRIVATEBUILD = 0x08;
constexpr DWORD VS_FF_INFOINFERRED = 0x10;
constexpr DWORD VS_FF_SPECIALBUILD = 0x20;
constexpr DWORD VOS_UNKNOWN = 0x00000000;
constexpr DWORD VOS_NT_WINDOWS32 = 0x00040004;
constexpr DWORD VFT_UNKNOWN = 0;
constexpr DWORD VFT_APP = 1;
constexpr DWORD VFT_DLL = 2;
constexpr DWORD VFT2_UNKNOWN = 0;
constexpr WORD VS_VERSION_INFO = 1;

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle);
BOOL WINAPI GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD length, LPVOID data);
BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length);
BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length);

