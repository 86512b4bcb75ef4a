// One HTTP exchange driven step by step, so that the caller gets control once
// the final response's headers are in and then pulls the body at its own pace.
// Only what the library has already received is held in memory.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "curl_setup.h"
#include "net_failure.h"
#include "response_headers.h"

namespace zv::net {

struct HttpRequestSpec {
  std::string url;
  std::string verb = "GET";
  bool http10 = false;
  std::string agent;
  bool directConnection = false;  // bypass the system's proxy settings
  std::vector<std::string> headers;  // "Name: value" lines
  bool followRedirects = true;
  bool allowRedirectToHttp = true;  // also from https
  TlsPolicy tls;
};

class HttpTransfer {
 public:
  // nullptr when the library cannot set the transfer up.
  static std::unique_ptr<HttpTransfer> Create(const HttpRequestSpec& spec);
  ~HttpTransfer();
  HttpTransfer(const HttpTransfer&) = delete;
  HttpTransfer& operator=(const HttpTransfer&) = delete;

  // Runs the exchange until the final response's headers have arrived
  // (redirects followed). NetFailure::None when they did.
  NetFailure WaitForHeaders();
  // The final response's status line followed by its header lines, without line ends.
  const std::vector<std::string>& HeaderLines() const { return response_.Lines(); }
  // Copies up to `size` body bytes into `buffer`; *read is 0 at the end of the
  // body. A transfer that breaks off gives its failure once the bytes that did
  // arrive have been read.
  NetFailure Read(void* buffer, std::size_t size, std::size_t* read);

 private:
  explicit HttpTransfer(const HttpRequestSpec& spec) : tls_{spec.tls}, response_(spec.followRedirects) {}
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  void Step();
  void WaitForActivity();
  NetFailure Failure();

  TlsCheck tls_;
  ResponseHeaders response_;
  bool bodyStarted_ = false;
  CurlPtr curl_;
  CURLM* multi_ = nullptr;
  SlistPtr headers_;
  bool done_ = false;
  CURLcode result_ = CURLE_OK;
  std::string pending_;
  std::size_t pendingOffset_ = 0;
};

}  // namespace zv::net
