#include "net_failure.h"

#include <openssl/x509_vfy.h>

#include "wininet.h"

namespace zv::net {
namespace {

NetFailure ClassifyCertificate(int chainFault) {
  switch (chainFault) {
    case X509_V_OK:
      // The chain was fine, so the refusal came from the host-name check.
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return NetFailure::CertificateName;
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return NetFailure::CertificateDate;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
      return NetFailure::CertificateUntrusted;
    default:
      return NetFailure::CertificateOther;
  }
}

}  // namespace

NetFailure ClassifyCurlResult(CURLcode code, int chainFault) {
  switch (code) {
    case CURLE_OK: return NetFailure::None;
    case CURLE_URL_MALFORMAT: return NetFailure::InvalidUrl;
    case CURLE_UNSUPPORTED_PROTOCOL: return NetFailure::UnsupportedScheme;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return NetFailure::NameNotResolved;
    case CURLE_COULDNT_CONNECT: return NetFailure::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT: return NetFailure::Timeout;
    case CURLE_PEER_FAILED_VERIFICATION: return ClassifyCertificate(chainFault);
    case CURLE_SSL_CONNECT_ERROR: return NetFailure::SecureChannel;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR: return NetFailure::ConnectionReset;
    case CURLE_PARTIAL_FILE: return NetFailure::ConnectionCutShort;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM: return NetFailure::InvalidResponse;
    case CURLE_TOO_MANY_REDIRECTS: return NetFailure::TooManyRedirects;
    case CURLE_HTTP_RETURNED_ERROR: return NetFailure::HttpError;
    case CURLE_ABORTED_BY_CALLBACK: return NetFailure::Cancelled;
    case CURLE_WRITE_ERROR: return NetFailure::LocalWrite;
    default: return NetFailure::Internal;
  }
}

DWORD Win32ErrorFor(NetFailure failure) {
  switch (failure) {
    case NetFailure::None: return ERROR_SUCCESS;
    case NetFailure::InvalidUrl: return ERROR_INTERNET_INVALID_URL;
    case NetFailure::UnsupportedScheme: return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case NetFailure::NameNotResolved: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case NetFailure::CannotConnect: return ERROR_INTERNET_CANNOT_CONNECT;
    case NetFailure::Timeout: return ERROR_INTERNET_TIMEOUT;
    case NetFailure::CertificateUntrusted: return ERROR_INTERNET_INVALID_CA;
    case NetFailure::CertificateDate: return ERROR_INTERNET_SEC_CERT_DATE_INVALID;
    case NetFailure::CertificateName: return ERROR_INTERNET_SEC_CERT_CN_INVALID;
    case NetFailure::CertificateOther: return ERROR_INTERNET_SEC_INVALID_CERT;
    case NetFailure::SecureChannel: return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case NetFailure::ConnectionReset: return ERROR_INTERNET_CONNECTION_RESET;
    case NetFailure::ConnectionCutShort: return ERROR_INTERNET_CONNECTION_ABORTED;
    case NetFailure::InvalidResponse: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case NetFailure::TooManyRedirects: return ERROR_HTTP_REDIRECT_FAILED;
    case NetFailure::Cancelled: return ERROR_INTERNET_OPERATION_CANCELLED;
    case NetFailure::HttpError:
    case NetFailure::LocalWrite:
    case NetFailure::Internal: return ERROR_INTERNET_INTERNAL_ERROR;
  }
  return ERROR_INTERNET_INTERNAL_ERROR;
}

}  // namespace zv::net
