#include "curl_setup.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include "time_limits.h"

namespace zv::net {
namespace {

void InitLibraryOnce() {
  static std::once_flag once;
  // Set up once for the life of the process and never torn down: transfers
  // may run on any thread at any time, up to the very end.
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int CheckIndex() {
  static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return index;
}

bool IsUntrustedChain(int error) {
  switch (error) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
      return true;
    default:
      return false;
  }
}

bool IsOutOfDate(int error) {
  return error == X509_V_ERR_CERT_HAS_EXPIRED || error == X509_V_ERR_CERT_NOT_YET_VALID;
}

// The transfer library can only switch chain verification off as a whole,
// which would also let expired certificates through. Ignoring the dates alone
// is done here instead, during the chain verification itself: each fault that
// the policy ignores is cleared, every other one still refuses the peer.
int VerifyCertificate(int preverified, X509_STORE_CTX* store) {
  if (preverified) return 1;
  auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
  if (!ssl) return 0;
  auto* check = static_cast<TlsCheck*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), CheckIndex()));
  if (!check) return 0;
  const int error = X509_STORE_CTX_get_error(store);
  const TlsPolicy& policy = check->policy;
  const bool ignored = (!policy.checkChain && IsUntrustedChain(error)) || (!policy.checkDates && IsOutOfDate(error));
  if (!ignored) {
    check->chainFault = error;
    return 0;
  }
  X509_STORE_CTX_set_error(store, X509_V_OK);
  return 1;
}

CURLcode PrepareTlsContext(CURL*, void* sslContext, void* check) {
  auto* context = static_cast<SSL_CTX*>(sslContext);
  SSL_CTX_set_ex_data(context, CheckIndex(), check);
  SSL_CTX_set_verify(context, SSL_CTX_get_verify_mode(context), VerifyCertificate);
  // Test-only: a test certificate authority added to the system's store, so
  // that verified HTTPS can be exercised against a server on the loopback
  // address. The product never sets this.
  if (const char* testCa = std::getenv("ZV_TEST_CA_FILE"); testCa && *testCa) {
    if (X509_STORE_load_file(SSL_CTX_get_cert_store(context), testCa) != 1) return CURLE_SSL_CACERT_BADFILE;
  }
  return CURLE_OK;
}

}  // namespace

CurlPtr NewTransfer(const std::string& url, TlsCheck& check) {
  InitLibraryOnce();
  CurlPtr curl(curl_easy_init());
  if (!curl) return nullptr;
  CURL* c = curl.get();
  const TimeLimits limits = CurrentTimeLimits();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
  // "Slower than one byte a second for the idle time" is how the library
  // spells "no byte for that long"; it counts whole seconds.
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, std::max(1L, static_cast<long>(limits.idle.count() / 1000)));
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, check.policy.checkName ? 2L : 0L);
  curl_easy_setopt(c, CURLOPT_SSL_CTX_FUNCTION, PrepareTlsContext);
  curl_easy_setopt(c, CURLOPT_SSL_CTX_DATA, &check);
  return curl;
}

}  // namespace zv::net
