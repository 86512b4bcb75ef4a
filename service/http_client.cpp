#include "service/http_client.h"

#include "service/url_parts.h"

#include <windows.h>

#include <vector>

namespace {

constexpr DWORD kPlainRequestFlags = 0x80000000;   // INTERNET_FLAG_RELOAD
constexpr DWORD kSecureRequestFlags = 0x80CC9200;  // RELOAD, SECURE, KEEP_CONNECTION, NO_COOKIES,
                                                   // NO_AUTH, IGNORE_REDIRECT_TO_HTTP,
                                                   // IGNORE_CERT_CN_INVALID, NO_UI
constexpr DWORD kIgnoredCertificateErrors = SECURITY_FLAG_IGNORE_UNKNOWN_CA |
                                            SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                                            SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
constexpr DWORD kChunkSize = 4096;
constexpr DWORD kHeaderBufferBytes = 4096;

void AcceptAnyCertificate(HINTERNET request) {
  // When the current flags cannot be read, the ignore flags are written on
  // their own: the request then still accepts the service's certificate
  // instead of writing back whatever the unread value held.
  DWORD flags = 0;
  DWORD length = sizeof flags;
  if (!InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &length)) flags = 0;
  flags |= kIgnoredCertificateErrors;
  InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
}

// The raw response headers, starting with the status line. The buffer starts
// at 4096 bytes and grows once to the size the layer asks for, so a server
// with long headers is not taken for one whose status cannot be read.
bool ReadRawHeaders(HINTERNET request, std::u16string& headers) {
  std::vector<WCHAR> buffer(kHeaderBufferBytes / sizeof(WCHAR), 0);
  DWORD length = kHeaderBufferBytes;
  if (!HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS, buffer.data(), &length, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= kHeaderBufferBytes) return false;
    buffer.assign(length / sizeof(WCHAR) + 1, 0);
    length = static_cast<DWORD>(buffer.size() * sizeof(WCHAR));
    if (!HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS, buffer.data(), &length, nullptr)) return false;
  }
  headers.assign(buffer.data(), buffer.size());
  return true;
}

// The status code of a status line such as "HTTP/1.1 404 Not Found"; -1
// when it has none.
int StatusCode(const std::u16string& headers) {
  const std::size_t space = headers.find(u' ');
  if (space == std::u16string::npos) return -1;
  int code = -1;
  for (std::size_t pos = space + 1; pos < headers.size() && pos < space + 4; ++pos) {
    if (headers[pos] < u'0' || headers[pos] > u'9') return -1;
    code = (code < 0 ? 0 : code * 10) + (headers[pos] - u'0');
  }
  return code;
}

}  // namespace

HttpClient::~HttpClient() { CloseHandles(); }

void HttpClient::CloseHandles() {
  for (HINTERNET* handle : {&request, &connection, &internet}) {
    if (*handle) InternetCloseHandle(*handle);
    *handle = nullptr;
  }
}

std::string HttpClient::Request(const std::string& url, const std::string& headers) {
  std::string body;
  try {
    if (url.empty()) throw EmptyUrl;
    CloseHandles();
    Send(url, headers);
    body = ReadBody();
    error = 0;
  } catch (HttpState state) {
    error = state;
  }
  return body;
}

void HttpClient::Send(const std::string& url, const std::string& headers) {
  internet = InternetOpenA("Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!internet) throw OpenFailed;

  const UrlParts parts = SplitUrl(url);
  // A port outside 0 to 65535 is refused rather than cut to 16 bits, which
  // would connect to some other port than the one the URL names.
  if (parts.port < 0 || parts.port > 0xFFFF) throw ConnectFailed;
  connection = InternetConnectA(internet, parts.host.c_str(), static_cast<INTERNET_PORT>(parts.port),
                                nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (!connection) throw ConnectFailed;

  const std::string objectName = parts.query.empty() ? parts.path : parts.path + "?" + parts.query;
  const bool https = IsHttps(parts);
  request = HttpOpenRequestA(connection, "GET", objectName.c_str(), "HTTP/1.1", nullptr, nullptr,
                             https ? kSecureRequestFlags : kPlainRequestFlags, 0);
  if (!request) throw OpenFailed;
  if (https) AcceptAnyCertificate(request);

  const BOOL sent = HttpSendRequestA(request, headers.c_str(), static_cast<DWORD>(headers.size()),
                                     nullptr, 0);
  if (!sent) throw SendFailed;

  std::u16string rawHeaders;
  if (!ReadRawHeaders(request, rawHeaders)) throw StatusUnreadable;
  if (StatusCode(rawHeaders) == 404) throw NotFound;
}

std::string HttpClient::ReadBody() {
  std::string body;
  std::vector<char> chunk(kChunkSize + 1);
  DWORD read = 0;
  while (InternetReadFile(request, chunk.data(), kChunkSize, &read) && read > 0) {
    chunk[read] = '\0';
    // The chunk counts up to its first zero byte, as text.
    body.append(chunk.data());
  }
  return body;
}
