// Shell API: file operations (deletion) and opening documents and addresses.
#pragma once

#include "win/base.h"
#include "win/errors.h"

using FILEOP_FLAGS = WORD;
using PCZZWSTR = const WCHAR*;

constexpr UINT FO_MOVE = 0x0001;
constexpr UINT FO_COPY = 0x0002;
constexpr UINT FO_DELETE = 0x0003;
constexpr UINT FO_RENAME = 0x0004;

constexpr FILEOP_FLAGS FOF_SILENT = 0x0004;
constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x0010;
constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x0040;
constexpr FILEOP_FLAGS FOF_NOERRORUI = 0x0400;

struct SHFILEOPSTRUCTW {
  HWND hwnd;
  UINT wFunc;
  PCZZWSTR pFrom;  // one or more paths, each zero-terminated, then one more zero
  PCZZWSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCWSTR lpszProgressTitle;
};
using LPSHFILEOPSTRUCTW = SHFILEOPSTRUCTW*;

// Only FO_DELETE is offered: every source, a file or a folder with everything
// in it, is deleted for good without any dialog. Symbolic links are removed,
// never followed. Returns 0 when every source is gone, otherwise the Windows
// code of the first failure (ERROR_FILE_NOT_FOUND for a missing source);
// other operations, and FOF_ALLOWUNDO (there is no recycle bin to undo
// from), give ERROR_CALL_NOT_IMPLEMENTED and touch nothing.
int SHFileOperationW(LPSHFILEOPSTRUCTW operation);

// Opens `file` (a web address or a document) with the user's preferred
// program through xdg-open, detached: the call never waits for it. Only the
// verbs "open" and null are offered; parameters, folder and show command are
// not used (xdg-open takes the one argument). Returns a value above 32 on success, as
// Windows does; ERROR_FILE_NOT_FOUND (2) when xdg-open is missing,
// SE_ERR_NOASSOC when the verb is not offered.
constexpr int SE_ERR_NOASSOC = 31;
HINSTANCE ShellExecuteW(HWND window, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, INT showCommand);
