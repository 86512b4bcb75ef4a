// Kernel calls of the Win32-style API: errors, files and directories, file
// times, events and waits, processes, the module path, tick counts, debugger
// output, the layer's built-in modules and code page conversions.
#pragma once

#include "win/base.h"
#include "win/errors.h"

// Errors. The last error is kept per thread, as on Windows.
DWORD GetLastError();
void SetLastError(DWORD code);

// File attributes.
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x00000040;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
// Archives made on POSIX systems carry (st_mode << 16) | this flag in the
// attributes of their items; SetFileAttributesW honours it.
constexpr DWORD FILE_ATTRIBUTE_HAS_POSIX_MODE = 0x00008000;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0, GetFileExMaxInfoLevel = 1 };

struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};
using LPWIN32_FILE_ATTRIBUTE_DATA = WIN32_FILE_ATTRIBUTE_DATA*;

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

DWORD GetFileAttributesW(LPCWSTR fileName);
BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation);
BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes);

// Directories, deletion and moves.
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x00000002;
constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x00000004;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008;

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);
BOOL RemoveDirectoryW(LPCWSTR pathName);
BOOL DeleteFileW(LPCWSTR fileName);
BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags);
BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName);

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData);
BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData);
BOOL FindClose(HANDLE findFile);

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);
DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);

// File handles.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_EXECUTE = 0x20000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD FILE_READ_DATA = 0x0001;
constexpr DWORD FILE_WRITE_DATA = 0x0002;
constexpr DWORD FILE_APPEND_DATA = 0x0004;
constexpr DWORD FILE_READ_ATTRIBUTES = 0x0080;
constexpr DWORD FILE_WRITE_ATTRIBUTES = 0x0100;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
// Needed to open a directory (for its times); files ignore it.
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

// Overlapped I/O is not offered: ReadFile and WriteFile fail with
// ERROR_INVALID_PARAMETER when given one.
struct OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;
using PLARGE_INTEGER = LARGE_INTEGER*;

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead, LPDWORD numberOfBytesRead,
              LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD numberOfBytesToWrite, LPDWORD numberOfBytesWritten,
               LPOVERLAPPED overlapped);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer,
                      DWORD moveMethod);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
// FILETIME counts 100 ns ticks since 1601-01-01 UTC. A null pointer leaves
// that time unchanged.
BOOL SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                 const FILETIME* lastWriteTime);
BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime,
                 LPFILETIME lastWriteTime);
BOOL CloseHandle(HANDLE object);

// The module path and the own program's instance handle. A null module means
// the running executable. The ANSI form is UTF-8.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
HMODULE GetModuleHandleW(LPCWSTR moduleName);

// The layer's built-in modules ("msimg32.dll", "msftedit.dll"); other files
// cannot be loaded. Module names compare case-insensitively.
HMODULE LoadLibraryW(LPCWSTR libFileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE libModule);

// Strings.
LPSTR lstrcatA(LPSTR string1, LPCSTR string2);
int lstrlenW(LPCWSTR string);
LPWSTR lstrcpyW(LPWSTR string1, LPCWSTR string2);
int lstrcmpW(LPCWSTR string1, LPCWSTR string2);
int lstrcmpiW(LPCWSTR string1, LPCWSTR string2);
// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when the denominator is 0 or the result overflows.
int MulDiv(int number, int numerator, int denominator);

// Code pages. The ANSI code page is UTF-8, so CP_ACP and CP_UTF8 are the same.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int multiByte,
                        LPWSTR wideCharStr, int wideChar);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr, int wideChar,
                        LPSTR multiByteStr, int multiByte, LPCSTR defaultChar, LPBOOL usedDefaultChar);

// Events and waits. Named events are machine-wide; "Global\" and "Local\"
// name the same namespace. Handles of events and processes can be mixed in
// one WaitForMultipleObjects.
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES eventAttributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// Threads and time.
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
void Sleep(DWORD milliseconds);
DWORD GetTickCount();
ULONGLONG GetTickCount64();

// Processes.
constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
constexpr DWORD STARTF_USESTDHANDLES = 0x00000100;
constexpr DWORD CREATE_NEW_CONSOLE = 0x00000010;
constexpr DWORD CREATE_UNICODE_ENVIRONMENT = 0x00000400;
constexpr DWORD CREATE_NO_WINDOW = 0x08000000;
constexpr DWORD STILL_ACTIVE = 259;

struct STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using LPSTARTUPINFOW = STARTUPINFOW*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// The child gets commandLine split as Windows splits a command line, with its
// first token as argv[0]. It runs in the caller's environment (another one is
// refused with ERROR_NOT_SUPPORTED) and in the caller's current folder unless
// one is given. The layer's handles are never inherited; STARTF_USESTDHANDLES
// hands over file handles as standard handles, an empty one meaning none.
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation);
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// Runs exit handlers and static destructors. POSIX keeps only the low 8 bits
// of an exit status: a parent sees ExitProcess(1314) as 34.
[[noreturn]] void ExitProcess(UINT exitCode);

// Debugger output: written to standard error only when the layer's debug
// switch (environment variable ZV_DEBUG_OUTPUT=1) is on.
void OutputDebugStringW(LPCWSTR outputString);
void OutputDebugStringA(LPCSTR outputString);
