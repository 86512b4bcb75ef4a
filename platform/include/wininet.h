// The internet library subset: blocking HTTP(S) requests through a chain of
// handles (session, connection, request), the security-flag option and the raw
// response headers. Only the synchronous, ANSI forms that the product uses exist.
#pragma once

#include "win/base.h"
#include "win/errors.h"

using HINTERNET = void*;
using LPHINTERNET = HINTERNET*;
using INTERNET_PORT = WORD;

// InternetOpenA access types.
constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

// InternetConnectA services and ports.
constexpr DWORD INTERNET_SERVICE_HTTP = 3;
constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

// HttpOpenRequestA flags. Only SECURE, IGNORE_CERT_CN_INVALID and
// IGNORE_CERT_DATE_INVALID change what this layer does; the others are
// accepted because a client may pass them.
constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
constexpr DWORD INTERNET_FLAG_RAW_DATA = 0x40000000;
constexpr DWORD INTERNET_FLAG_EXISTING_CONNECT = 0x20000000;
constexpr DWORD INTERNET_FLAG_ASYNC = 0x10000000;
constexpr DWORD INTERNET_FLAG_PASSIVE = 0x08000000;
constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
constexpr DWORD INTERNET_FLAG_DONT_CACHE = 0x04000000;
constexpr DWORD INTERNET_FLAG_MAKE_PERSISTENT = 0x02000000;
constexpr DWORD INTERNET_FLAG_FROM_CACHE = 0x01000000;
constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;
constexpr DWORD INTERNET_FLAG_KEEP_CONNECTION = 0x00400000;
constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
constexpr DWORD INTERNET_FLAG_READ_PREFETCH = 0x00100000;
constexpr DWORD INTERNET_FLAG_NO_COOKIES = 0x00080000;
constexpr DWORD INTERNET_FLAG_NO_AUTH = 0x00040000;
constexpr DWORD INTERNET_FLAG_CACHE_IF_NET_FAIL = 0x00010000;
constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP = 0x00008000;
constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000;
constexpr DWORD INTERNET_FLAG_IGNORE_CERT_DATE_INVALID = 0x00002000;
constexpr DWORD INTERNET_FLAG_IGNORE_CERT_CN_INVALID = 0x00001000;
constexpr DWORD INTERNET_FLAG_RESYNCHRONIZE = 0x00000800;
constexpr DWORD INTERNET_FLAG_HYPERLINK = 0x00000400;
constexpr DWORD INTERNET_FLAG_NO_UI = 0x00000200;
constexpr DWORD INTERNET_FLAG_PRAGMA_NOCACHE = 0x00000100;

// Security flags of a request (INTERNET_OPTION_SECURITY_FLAGS).
constexpr DWORD SECURITY_FLAG_SECURE = 0x00000001;
constexpr DWORD SECURITY_FLAG_IGNORE_REVOCATION = 0x00000080;
constexpr DWORD SECURITY_FLAG_IGNORE_UNKNOWN_CA = 0x00000100;
constexpr DWORD SECURITY_FLAG_IGNORE_WRONG_USAGE = 0x00000200;
constexpr DWORD SECURITY_FLAG_IGNORE_CERT_CN_INVALID = 0x00001000;
constexpr DWORD SECURITY_FLAG_IGNORE_CERT_DATE_INVALID = 0x00002000;
constexpr DWORD SECURITY_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000;
constexpr DWORD SECURITY_FLAG_IGNORE_REDIRECT_TO_HTTP = 0x00008000;

// Options of InternetQueryOptionW / InternetSetOptionW. The security flags of a
// request are the only option this layer keeps.
constexpr DWORD INTERNET_OPTION_SECURITY_FLAGS = 31;

// HttpQueryInfo levels and modifiers.
constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_STATUS_TEXT = 20;
constexpr DWORD HTTP_QUERY_RAW_HEADERS = 21;
constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;

// Internet error codes not already among the common ones.
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_INTERNET_BAD_OPTION_LENGTH = 12010;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
constexpr DWORD ERROR_INTERNET_SEC_CERT_ERRORS = 12055;
constexpr DWORD ERROR_HTTP_INVALID_HEADER = 12153;
constexpr DWORD ERROR_HTTP_REDIRECT_FAILED = 12156;
constexpr DWORD ERROR_INTERNET_SEC_INVALID_CERT = 12169;

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort, LPCSTR userName,
                           LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context);
HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version, LPCSTR referrer,
                           LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength);
BOOL HttpQueryInfoW(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index);
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index);
BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead);
BOOL InternetQueryOptionW(HINTERNET internet, DWORD option, LPVOID buffer, LPDWORD bufferLength);
BOOL InternetSetOptionW(HINTERNET internet, DWORD option, LPVOID buffer, DWORD bufferLength);
BOOL InternetCloseHandle(HINTERNET internet);
