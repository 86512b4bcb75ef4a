#include "response_headers.h"

#include <charconv>
#include <strings.h>

namespace zv::net {
namespace {

constexpr std::string_view kLocation = "Location:";

int StatusOf(std::string_view statusLine) {
  const std::size_t space = statusLine.find(' ');
  int status = 0;
  if (space != std::string_view::npos)
    std::from_chars(statusLine.data() + space + 1, statusLine.data() + statusLine.size(), status);
  return status;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

}  // namespace

ResponseHeaders::Event ResponseHeaders::Add(std::string_view rawLine) {
  if (complete_) return Event::None;
  std::string_view line = rawLine;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);

  if (line.substr(0, 5) == "HTTP/") {
    // Every answer (interim, redirect, final) starts a fresh set of headers.
    lines_.assign(1, std::string(line));
    status_ = StatusOf(line);
    location_.clear();
    return Event::None;
  }
  if (!line.empty()) {
    if (line.size() >= kLocation.size() && strncasecmp(line.data(), kLocation.data(), kLocation.size()) == 0)
      location_ = Trimmed(line.substr(kLocation.size()));
    lines_.emplace_back(line);
    return Event::None;
  }
  if (status_ < 200) return Event::None;  // interim answer: the real one follows
  const bool redirect = status_ >= 300 && status_ < 400 && status_ != 304 && !location_.empty();
  if (followRedirects_ && redirect) return Event::Redirect;
  complete_ = true;
  return Event::Final;
}

}  // namespace zv::net
