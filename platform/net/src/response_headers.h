// Follows the header lines of an HTTP exchange through interim answers and
// redirects, and tells when the final response's headers are complete.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv::net {

class ResponseHeaders {
 public:
  enum class Event { None, Redirect, Final };

  explicit ResponseHeaders(bool followRedirects) : followRedirects_(followRedirects) {}

  // One header line as received (line end included or not). Returns Redirect
  // or Final when the line ends a header block of that kind; after Final,
  // further lines (trailers) are ignored.
  Event Add(std::string_view rawLine);

  bool Complete() const { return complete_; }
  // The current (after Final: the final) response: status line first.
  const std::vector<std::string>& Lines() const { return lines_; }
  int Status() const { return status_; }
  // The Location header's value of the current response, or empty.
  const std::string& Location() const { return location_; }

 private:
  bool followRedirects_;
  bool complete_ = false;
  int status_ = 0;
  std::string location_;
  std::vector<std::string> lines_;
};

}  // namespace zv::net
