#include "header_query.h"

#include <charconv>
#include <cstring>
#include <strings.h>

#include "win/kernel.h"
#include "wininet.h"
#include "zv/text.h"

namespace zv::net {
namespace {

// "HTTP/1.1 404 Not Found": code "404", text "Not Found".
std::string StatusPart(const std::string& statusLine, bool wantCode) {
  const std::size_t codeStart = statusLine.find(' ');
  if (codeStart == std::string::npos) return {};
  const std::size_t codeEnd = statusLine.find(' ', codeStart + 1);
  if (wantCode) return statusLine.substr(codeStart + 1, codeEnd - codeStart - 1);
  return codeEnd == std::string::npos ? std::string() : statusLine.substr(codeEnd + 1);
}

std::optional<std::string> HeaderValue(const std::vector<std::string>& lines, const char* name, DWORD index) {
  const std::size_t nameLength = std::strlen(name);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() <= nameLength || line[nameLength] != ':' || strncasecmp(line.data(), name, nameLength) != 0)
      continue;
    if (index-- > 0) continue;
    const std::size_t start = line.find_first_not_of(" \t", nameLength + 1);
    const std::size_t end = line.find_last_not_of(" \t");
    return start == std::string::npos ? std::string() : line.substr(start, end - start + 1);
  }
  return std::nullopt;
}

std::string EachLineEndingIn(const std::vector<std::string>& lines, const std::string& end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

}  // namespace

std::optional<std::string> QueryHeaderText(const std::vector<std::string>& lines, DWORD level, DWORD index,
                                           DWORD* error) {
  *error = ERROR_HTTP_HEADER_NOT_FOUND;
  if (lines.empty()) return std::nullopt;
  switch (level) {
    case HTTP_QUERY_RAW_HEADERS:
      // Each line ends in a zero character; the terminating zero added when
      // copying ends the list.
      return EachLineEndingIn(lines, std::string(1, '\0'));
    case HTTP_QUERY_RAW_HEADERS_CRLF:
      return EachLineEndingIn(lines, "\r\n") + "\r\n";  // and a blank line, as on the wire
    case HTTP_QUERY_STATUS_CODE:
      return StatusPart(lines.front(), true);
    case HTTP_QUERY_STATUS_TEXT:
      return StatusPart(lines.front(), false);
    case HTTP_QUERY_CONTENT_LENGTH:
      return HeaderValue(lines, "Content-Length", index);
    default:
      *error = ERROR_INVALID_PARAMETER;
      return std::nullopt;
  }
}

bool CopyQueryText(const std::string& text, bool wide, void* buffer, DWORD* length) {
  const std::u16string wideText = wide ? FromUtf8(text) : std::u16string();
  const std::size_t charSize = wide ? sizeof(char16_t) : 1;
  const std::size_t characters = wide ? wideText.size() : text.size();
  const std::size_t needed = (characters + 1) * charSize;
  if (!buffer || *length < needed) {
    *length = static_cast<DWORD>(needed);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  if (wide) {
    std::memcpy(buffer, wideText.data(), characters * charSize);
    static_cast<char16_t*>(buffer)[characters] = 0;
  } else {
    std::memcpy(buffer, text.data(), characters);
    static_cast<char*>(buffer)[characters] = 0;
  }
  *length = static_cast<DWORD>(characters * charSize);
  return true;
}

bool CopyQueryNumber(const std::string& text, void* buffer, DWORD* length) {
  DWORD number = 0;
  const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (problem != std::errc() || end != text.data() + text.size()) {
    SetLastError(ERROR_HTTP_INVALID_HEADER);
    return false;
  }
  if (!buffer || *length < sizeof(DWORD)) {
    *length = sizeof(DWORD);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  std::memcpy(buffer, &number, sizeof(DWORD));
  *length = sizeof(DWORD);
  return true;
}

}  // namespace zv::net
