// The messages the update worker posts to the upgrade window.
#pragma once

#include "win/base.h"

constexpr UINT UM_DOWNLOAD_FAILED = 0xFFE0;    // wParam 0, lParam 0
constexpr UINT UM_UNPACK_FAILED = 0xFFE1;      // wParam 0, lParam 0
constexpr UINT UM_UPDATE_DONE = 0xFFE2;        // wParam 0, lParam 0
constexpr UINT UM_DOWNLOAD_PROGRESS = 0xFFF0;  // wParam bytes so far, lParam bytes in all (0 while unknown)
