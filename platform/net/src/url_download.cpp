// URLDownloadToFileW: a blocking download into a file beside the target,
// renamed into place only once complete, with progress through the caller's
// IBindStatusCallback.
#include "urlmon.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "binding.h"
#include "curl_setup.h"
#include "download_progress.h"
#include "net_failure.h"
#include "response_headers.h"
#include "zv/errors.h"
#include "zv/text.h"

namespace zv::net {
namespace {

constexpr long kMaxRedirects = 10;

bool IsHttpsUrl(const std::string& url) { return url.compare(0, 8, "https://") == 0; }

HRESULT HresultFromErrno(int error, const std::string& path) {
  return HRESULT_FROM_WIN32(Win32ErrorFromErrno(error, path));
}

HRESULT HresultFor(NetFailure failure, long status) {
  switch (failure) {
    case NetFailure::None: return S_OK;
    case NetFailure::InvalidUrl: return INET_E_INVALID_URL;
    case NetFailure::UnsupportedScheme: return INET_E_UNKNOWN_PROTOCOL;
    case NetFailure::NameNotResolved: return INET_E_RESOURCE_NOT_FOUND;
    case NetFailure::CannotConnect: return INET_E_CANNOT_CONNECT;
    case NetFailure::Timeout: return INET_E_CONNECTION_TIMEOUT;
    case NetFailure::CertificateUntrusted:
    case NetFailure::CertificateDate:
    case NetFailure::CertificateName:
    case NetFailure::CertificateOther: return INET_E_INVALID_CERTIFICATE;
    case NetFailure::SecureChannel: return INET_E_SECURITY_PROBLEM;
    case NetFailure::TooManyRedirects: return INET_E_REDIRECT_FAILED;
    case NetFailure::Cancelled: return E_ABORT;
    case NetFailure::HttpError:
      // The server is there but the file is not: the object, not the
      // resource (the server), was not found.
      return status == 404 || status == 410 ? INET_E_OBJECT_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
    case NetFailure::ConnectionReset:
    case NetFailure::ConnectionCutShort:
    case NetFailure::InvalidResponse:
    case NetFailure::LocalWrite:
    case NetFailure::Internal: return INET_E_DOWNLOAD_FAILURE;
  }
  return INET_E_DOWNLOAD_FAILURE;
}

// An open file that is closed (and, unless kept, removed) on every path.
class PartFile {
 public:
  explicit PartFile(std::string path) : path_(std::move(path)) {
    fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      error_ = errno;
      kept_ = true;  // not ours to remove
    }
  }
  ~PartFile() {
    if (fd_ >= 0) close(fd_);
    if (!kept_) unlink(path_.c_str());
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int Error() const { return error_; }
  const std::string& Path() const { return path_; }

  bool Write(const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t written = write(fd_, data, size);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        error_ = written < 0 ? errno : ENOSPC;
        return false;
      }
      data += written;
      size -= static_cast<std::size_t>(written);
    }
    return true;
  }

  // Closes the file and renames it to `target`, replacing what is there.
  // No fsync: a package that a crash leaves behind is deleted and fetched
  // again by the next run, so the extra wait would buy nothing.
  bool MoveTo(const std::string& target) {
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 || rename(path_.c_str(), target.c_str()) != 0) {
      error_ = errno;
      return false;
    }
    kept_ = true;
    return true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  int error_ = 0;
  bool kept_ = false;
};

class Download {
 public:
  Download(std::string url, std::string target, IBindStatusCallback* callback)
      : url_(std::move(url)), target_(std::move(target)), callback_(callback), response_(true),
        throttle_(ProgressThrottle::Clock::now()) {}

  HRESULT Run() {
    Binding* binding = new Binding();
    // The callback may turn the binding down; the download goes ahead all the
    // same, as the callback has no other way to take part in starting it.
    if (callback_) callback_->OnStartBinding(0, binding);
    const HRESULT result = Transfer(*binding);
    if (callback_) callback_->OnStopBinding(result, nullptr);
    binding->Release();
    return result;
  }

 private:
  HRESULT Transfer(Binding& binding) {
    binding_ = &binding;
    if (!Notify(BINDSTATUS_FINDINGRESOURCE, 0, 0, url_)) return E_ABORT;
    // Written beside the target and renamed into place only when complete, so
    // a failed download never leaves a partial file under the target's name
    // and never costs the file that was there before.
    PartFile part(target_ + ".part");
    if (!part.IsOpen()) return HresultFromErrno(part.Error(), part.Path());
    part_ = &part;
    if (!Notify(BINDSTATUS_CONNECTING, 0, 0, url_)) return E_ABORT;

    TlsCheck tls;  // certificates are always verified here
    CurlPtr curl = NewTransfer(url_, tls);
    if (!curl) return E_OUTOFMEMORY;
    curl_ = curl.get();
    Configure();
    const CURLcode code = curl_easy_perform(curl_);
    if (aborted_ || binding.Aborted()) return E_ABORT;
    if (writeError_) return HresultFromErrno(part.Error(), part.Path());
    long status = 0;
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
    if (code != CURLE_OK) return HresultFor(ClassifyCurlResult(code, tls.chainFault), status);
    if (status < 200 || status > 299) return HresultFor(NetFailure::HttpError, status);

    if (!BeginOnce()) return E_ABORT;  // an empty body brings no data callback
    if (throttle_.Behind(done_) && !NotifyData()) return E_ABORT;
    // With no announced size, the end makes it known.
    if (!Notify(BINDSTATUS_ENDDOWNLOADDATA, done_, total_ ? total_ : done_, url_)) return E_ABORT;
    if (!part.MoveTo(target_)) return HresultFromErrno(part.Error(), target_);
    return S_OK;
  }

  void Configure() {
    curl_easy_setopt(curl_, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl_, CURLOPT_MAXREDIRS, kMaxRedirects);
    // A download that started on https stays on https: a redirect to plain
    // http would give up the verified server without the caller knowing.
    curl_easy_setopt(curl_, CURLOPT_REDIR_PROTOCOLS_STR, IsHttpsUrl(url_) ? "https" : "http,https");
    curl_easy_setopt(curl_, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, OnTick);
    curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
  }

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* download = static_cast<Download*>(self);
    const ResponseHeaders::Event event = download->response_.Add(std::string_view(data, size * count));
    bool go_on = true;
    if (event == ResponseHeaders::Event::Redirect)
      go_on = download->Notify(BINDSTATUS_REDIRECTING, 0, 0, download->response_.Location());
    else if (event == ResponseHeaders::Event::Final && download->response_.Status() < 300)
      go_on = download->BeginOnce();
    return go_on ? size * count : 0;
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* download = static_cast<Download*>(self);
    const std::size_t bytes = size * count;
    // The body of an answer that is not the file (a redirect that is not
    // followed, for one) is passed over; the status fails the download.
    const int status = download->response_.Status();
    if (status < 200 || status > 299) return bytes;
    if (!download->BeginOnce()) return 0;
    if (!download->part_->Write(data, bytes)) {
      download->writeError_ = true;
      return 0;
    }
    download->done_ += bytes;
    if (download->throttle_.Due(download->done_, ProgressThrottle::Clock::now()) && !download->NotifyData()) return 0;
    return bytes;
  }

  // Lets an abort through the binding (from any thread) end a transfer that
  // is waiting for the network.
  static int OnTick(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* download = static_cast<Download*>(self);
    return download->aborted_ || download->binding_->Aborted() ? 1 : 0;
  }

  bool BeginOnce() {
    if (begun_) return true;
    begun_ = true;
    curl_off_t length = -1;
    curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    total_ = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    return Notify(BINDSTATUS_BEGINDOWNLOADDATA, 0, total_, url_);
  }

  bool NotifyData() {
    throttle_.Notified(done_, ProgressThrottle::Clock::now());
    return Notify(BINDSTATUS_DOWNLOADINGDATA, done_, total_, url_);
  }

  // False when the callback (or the binding) asked to stop.
  bool Notify(ULONG status, std::uint64_t done, std::uint64_t total, const std::string& text) {
    if (callback_) {
      const ProgressPair counts = To32Bits(done, total);
      const std::u16string wideText = FromUtf8(text);
      if (FAILED(callback_->OnProgress(counts.progress, counts.progressMax, status, wideText.c_str())))
        aborted_ = true;
    }
    return !aborted_ && !binding_->Aborted();
  }

  std::string url_;
  std::string target_;
  IBindStatusCallback* callback_;
  ResponseHeaders response_;
  ProgressThrottle throttle_;
  Binding* binding_ = nullptr;
  PartFile* part_ = nullptr;
  CURL* curl_ = nullptr;
  bool begun_ = false;
  bool aborted_ = false;
  bool writeError_ = false;
  std::uint64_t done_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace
}  // namespace zv::net

HRESULT URLDownloadToFileW(LPUNKNOWN caller, LPCWSTR url, LPCWSTR fileName, DWORD reserved,
                           LPBINDSTATUSCALLBACK callback) {
  if (!url || !*url || !fileName || !*fileName) return E_INVALIDARG;
  zv::net::Download download(zv::ToUtf8(url), zv::NativePath(fileName), callback);
  return download.Run();
}
