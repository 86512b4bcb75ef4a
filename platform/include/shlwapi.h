// Shell light-weight utilities: a COM stream over a file.
#pragma once

#include "objbase.h"
#include "win/base.h"
#include "win/errors.h"

// Opens `file` as an IStream. grfMode holds the access (STGM_READ, STGM_WRITE,
// STGM_READWRITE) and STGM_CREATE or STGM_FAILIFTHERE; with STGM_FAILIFTHERE,
// `create` chooses between opening an existing file and making a new one that
// must not exist yet. `attributes` applies to a file that is created (only
// FILE_ATTRIBUTE_READONLY changes anything). `streamTemplate` must be null.
// Failures are HRESULTs made from the Windows error code.
HRESULT SHCreateStreamOnFileEx(LPCWSTR file, DWORD grfMode, DWORD attributes, BOOL create,
                               IStream* streamTemplate, IStream** stream);
