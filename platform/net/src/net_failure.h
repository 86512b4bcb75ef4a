// What went wrong with a transfer, independent of how the caller reports it:
// the internet library as Win32 error codes, the URL download as HRESULTs.
#pragma once

#include <curl/curl.h>

#include "win/base.h"

namespace zv::net {

enum class NetFailure {
  None,
  InvalidUrl,
  UnsupportedScheme,
  NameNotResolved,
  CannotConnect,
  Timeout,
  CertificateUntrusted,  // no chain to a trusted root, self-signed included
  CertificateDate,       // expired or not yet valid
  CertificateName,       // issued for another host
  CertificateOther,      // any other reason the certificate was refused
  SecureChannel,         // the TLS handshake failed for a reason other than the certificate
  ConnectionReset,
  ConnectionCutShort,    // fewer body bytes than announced
  InvalidResponse,
  TooManyRedirects,
  HttpError,             // the server answered with an error status
  Cancelled,
  LocalWrite,            // the caller's side could not take the data
  Internal,
};

// Classifies a finished transfer's result; `chainFault` is the fault that
// refused the certificate chain (an X509_V_* code, X509_V_OK for none).
NetFailure ClassifyCurlResult(CURLcode code, int chainFault);

DWORD Win32ErrorFor(NetFailure failure);

}  // namespace zv::net
