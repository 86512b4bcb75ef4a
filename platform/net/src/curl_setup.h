// What every transfer of the net part has in common: the library set up once,
// one easy handle per transfer, time limits, proxy choice and the TLS policy.
#pragma once

#include <curl/curl.h>
#include <memory>
#include <string>

namespace zv::net {

// Which certificate faults a transfer refuses. The defaults refuse all.
struct TlsPolicy {
  bool checkChain = true;  // a chain to a trusted root is required
  bool checkName = true;   // the certificate must name the host
  bool checkDates = true;  // every certificate of the chain must be in date
};

// A transfer's policy and what its chain verification found.
struct TlsCheck {
  TlsPolicy policy;
  // The fault (an X509_V_* code) that refused the chain; X509_V_OK (0) when
  // the chain was accepted, so a refused peer was refused for its name.
  int chainFault = 0;
};

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using CurlPtr = std::unique_ptr<CURL, CurlDeleter>;

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

// A new easy handle with the settings shared by all transfers; nullptr when
// the library cannot make one. `check` must outlive the transfer.
CurlPtr NewTransfer(const std::string& url, TlsCheck& check);

}  // namespace zv::net
