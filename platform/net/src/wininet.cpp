// The internet library's calls over the handle objects and HttpTransfer.
#include "wininet.h"

#include <cstring>

#include "header_query.h"
#include "internet_handles.h"
#include "win/kernel.h"

using namespace zv::net;

namespace {

std::string TextOr(LPCSTR text, const char* fallback) { return text && *text ? text : fallback; }

// Header lines from the caller's raw block: lines end in CRLF (or LF), and a
// length of -1 means the block is zero-terminated.
std::vector<std::string> SplitHeaderBlock(LPCSTR headers, DWORD length) {
  std::vector<std::string> lines;
  if (!headers) return lines;
  const std::string block = length == static_cast<DWORD>(-1) ? std::string(headers) : std::string(headers, length);
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find('\n', start);
    if (end == std::string::npos) end = block.size();
    std::string line = block.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string UrlOf(const RequestHandle& request, bool secure) {
  INTERNET_PORT port = request.port;
  if (port == INTERNET_INVALID_PORT_NUMBER) port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  const std::string object = request.object.empty() || request.object[0] != '/' ? "/" + request.object : request.object;
  return std::string(secure ? "https://" : "http://") + request.host + ":" + std::to_string(port) + object;
}

HttpRequestSpec SpecOf(const RequestHandle& request, const std::vector<std::string>& headers) {
  const bool secure = request.flags & INTERNET_FLAG_SECURE;
  const DWORD security = request.securityFlags;
  HttpRequestSpec spec;
  spec.url = UrlOf(request, secure);
  spec.verb = request.verb;
  spec.http10 = request.version == "HTTP/1.0";
  spec.agent = request.settings.agent;
  spec.directConnection = request.settings.direct;
  if (request.acceptTypes.empty()) {
    spec.headers.push_back("Accept:");  // no accept types given: send none
  } else {
    std::string accept = "Accept: ";
    for (std::size_t i = 0; i < request.acceptTypes.size(); ++i) accept += (i ? ", " : "") + request.acceptTypes[i];
    spec.headers.push_back(accept);
  }
  spec.headers.insert(spec.headers.end(), headers.begin(), headers.end());
  spec.followRedirects = !(request.flags & INTERNET_FLAG_NO_AUTO_REDIRECT);
  spec.allowRedirectToHttp = !secure || (request.flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP) ||
                             (security & SECURITY_FLAG_IGNORE_REDIRECT_TO_HTTP);
  spec.tls.checkChain = !(security & SECURITY_FLAG_IGNORE_UNKNOWN_CA);
  spec.tls.checkName = !(security & SECURITY_FLAG_IGNORE_CERT_CN_INVALID) &&
                       !(request.flags & INTERNET_FLAG_IGNORE_CERT_CN_INVALID);
  spec.tls.checkDates = !(security & SECURITY_FLAG_IGNORE_CERT_DATE_INVALID) &&
                        !(request.flags & INTERNET_FLAG_IGNORE_CERT_DATE_INVALID);
  return spec;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL QueryInfo(HINTERNET handle, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index, bool wide) {
  auto* request = Find<RequestHandle>(handle, HandleKind::Request);
  if (!request) return FALSE;
  if (!bufferLength) return Fail(ERROR_INVALID_PARAMETER);
  if (!request->transfer) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  const DWORD level = infoLevel & 0xFFFF;
  const DWORD modifiers = infoLevel & ~0xFFFFu;
  const bool number = modifiers == HTTP_QUERY_FLAG_NUMBER;
  if (modifiers != 0 && !number) return Fail(ERROR_INVALID_PARAMETER);
  if (number && level != HTTP_QUERY_STATUS_CODE && level != HTTP_QUERY_CONTENT_LENGTH)
    return Fail(ERROR_INVALID_PARAMETER);
  DWORD error = 0;
  const auto text = QueryHeaderText(request->transfer->HeaderLines(), level, index ? *index : 0, &error);
  if (!text) return Fail(error);
  const bool copied = number ? CopyQueryNumber(*text, buffer, bufferLength)
                             : CopyQueryText(*text, wide, buffer, bufferLength);
  if (copied && index) ++*index;
  return copied ? TRUE : FALSE;
}

}  // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags) {
  if (flags & INTERNET_FLAG_ASYNC) {
    SetLastError(ERROR_NOT_SUPPORTED);  // every call of this layer blocks
    return nullptr;
  }
  // The system's proxy settings or none; a named proxy is not offered.
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT) {
    SetLastError(accessType == INTERNET_OPEN_TYPE_PROXY ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto session = std::make_unique<SessionHandle>();
  session->settings.agent = TextOr(agent, "");
  session->settings.direct = accessType == INTERNET_OPEN_TYPE_DIRECT;
  return RegisterHandle(std::move(session));
}

HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort, LPCSTR userName,
                           LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context) {
  auto* session = Find<SessionHandle>(internet, HandleKind::Session);
  if (!session) return nullptr;
  if (!serverName || !*serverName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Only HTTP, and no credentials: silently dropping a user name would send
  // the request unauthenticated behind the caller's back.
  if (service != INTERNET_SERVICE_HTTP || (userName && *userName) || (password && *password)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto connection = std::make_unique<ConnectionHandle>();
  connection->settings = session->settings;
  connection->host = serverName;
  connection->port = serverPort;
  return RegisterHandle(std::move(connection));
}

HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version, LPCSTR referrer,
                           LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) {
  auto* parent = Find<ConnectionHandle>(connection, HandleKind::Connection);
  if (!parent) return nullptr;
  const std::string httpVersion = TextOr(version, "HTTP/1.1");
  if (httpVersion != "HTTP/1.1" && httpVersion != "HTTP/1.0") {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Only requests that fetch: a verb that sends data is refused outright
  // rather than sent without its data.
  const std::string requestVerb = TextOr(verb, "GET");
  if (requestVerb != "GET" && requestVerb != "HEAD") {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto request = std::make_unique<RequestHandle>();
  request->settings = parent->settings;
  request->host = parent->host;
  request->port = parent->port;
  request->verb = requestVerb;
  request->object = TextOr(objectName, "/");
  request->version = httpVersion;
  for (LPCSTR* type = acceptTypes; type && *type; ++type) request->acceptTypes.emplace_back(*type);
  request->flags = flags;
  if (referrer && *referrer) request->referrer = referrer;
  // The request flags that ignore certificate faults show in the security
  // flags too; the bits are the same.
  request->securityFlags =
      flags & (INTERNET_FLAG_IGNORE_CERT_CN_INVALID | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID);
  return RegisterHandle(std::move(request));
}

BOOL InternetQueryOptionW(HINTERNET internet, DWORD option, LPVOID buffer, LPDWORD bufferLength) {
  if (option != INTERNET_OPTION_SECURITY_FLAGS) return Fail(ERROR_INTERNET_INVALID_OPTION);
  auto* request = Find<RequestHandle>(internet, HandleKind::Request);
  if (!request) return FALSE;
  if (!bufferLength) return Fail(ERROR_INVALID_PARAMETER);
  if (!buffer || *bufferLength < sizeof(DWORD)) {
    *bufferLength = sizeof(DWORD);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, &request->securityFlags, sizeof(DWORD));
  *bufferLength = sizeof(DWORD);
  return TRUE;
}

BOOL InternetSetOptionW(HINTERNET internet, DWORD option, LPVOID buffer, DWORD bufferLength) {
  if (option != INTERNET_OPTION_SECURITY_FLAGS) return Fail(ERROR_INTERNET_INVALID_OPTION);
  auto* request = Find<RequestHandle>(internet, HandleKind::Request);
  if (!request) return FALSE;
  if (!buffer) return Fail(ERROR_INVALID_PARAMETER);
  if (bufferLength != sizeof(DWORD)) return Fail(ERROR_INTERNET_BAD_OPTION_LENGTH);
  DWORD flags = 0;
  std::memcpy(&flags, buffer, sizeof(DWORD));
  // Whether the connection is secure is a fact, not a setting.
  request->securityFlags = (flags & ~SECURITY_FLAG_SECURE) | (request->securityFlags & SECURITY_FLAG_SECURE);
  return TRUE;
}

BOOL HttpSendRequestA(HINTERNET handle, LPCSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength) {
  auto* request = Find<RequestHandle>(handle, HandleKind::Request);
  if (!request) return FALSE;
  if (optionalLength > 0) return Fail(ERROR_NOT_SUPPORTED);  // GET and HEAD carry no data
  std::vector<std::string> headerLines = SplitHeaderBlock(headers, headersLength);
  if (!request->referrer.empty()) headerLines.push_back("Referer: " + request->referrer);

  request->transfer.reset();  // sending again starts a new exchange
  auto transfer = HttpTransfer::Create(SpecOf(*request, std::move(headerLines)));
  if (!transfer) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const NetFailure failure = transfer->WaitForHeaders();
  if (failure != NetFailure::None) return Fail(Win32ErrorFor(failure));
  if (request->flags & INTERNET_FLAG_SECURE) request->securityFlags |= SECURITY_FLAG_SECURE;
  request->transfer = std::move(transfer);
  return TRUE;
}

BOOL HttpQueryInfoW(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index) {
  return QueryInfo(request, infoLevel, buffer, bufferLength, index, true);
}

BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index) {
  return QueryInfo(request, infoLevel, buffer, bufferLength, index, false);
}

BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) {
  if (!bytesRead) return Fail(ERROR_INVALID_PARAMETER);
  *bytesRead = 0;
  auto* request = Find<RequestHandle>(file, HandleKind::Request);
  if (!request) return FALSE;
  if (!request->transfer) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  if (!buffer && bytesToRead > 0) return Fail(ERROR_INVALID_PARAMETER);
  std::size_t read = 0;
  const NetFailure failure = request->transfer->Read(buffer, bytesToRead, &read);
  if (failure != NetFailure::None) return Fail(Win32ErrorFor(failure));
  *bytesRead = static_cast<DWORD>(read);
  return TRUE;
}

BOOL InternetCloseHandle(HINTERNET internet) { return CloseHandleOf(internet) ? TRUE : FALSE; }
