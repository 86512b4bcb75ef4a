// The launcher's one HTTP GET client, over the platform's internet library.
#pragma once

#include <wininet.h>

#include <cstdint>
#include <string>

// Why a request ended early; raised and caught inside HttpClient::Request.
enum HttpState {
  OpenFailed = 1,
  ConnectFailed = 2,
  SendFailed = 3,
  StatusUnreadable = 4,
  NotFound = 5,
  EmptyUrl = 14,
};

class HttpClient {
 public:
  HttpClient() = default;
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;
  // Closes the handles that are present: request, connection, internet.
  ~HttpClient();

  // GETs `url` and returns the response body; empty on failure. Sets `error`
  // to 0 after a completed request, to the HttpState that ended it otherwise.
  // A 404 answer is a failure; every other status returns its body.
  std::string Request(const std::string& url, const std::string& headers);

  HINTERNET internet = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  std::int32_t error = 0;

 private:
  void CloseHandles();
  void Send(const std::string& url, const std::string& headers);
  std::string ReadBody();
};
