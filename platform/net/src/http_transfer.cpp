#include "http_transfer.h"

#include <algorithm>
#include <cstring>

namespace zv::net {
namespace {

// Redirects followed before giving up: more than any real chain, few enough
// to end a loop quickly.
constexpr long kMaxRedirects = 10;
// How long one wait for network activity lasts before the library gets to
// check its own time limits again.
constexpr int kPollMilliseconds = 250;

}  // namespace

std::unique_ptr<HttpTransfer> HttpTransfer::Create(const HttpRequestSpec& spec) {
  std::unique_ptr<HttpTransfer> transfer(new HttpTransfer(spec));
  transfer->curl_ = NewTransfer(spec.url, transfer->tls_);
  if (!transfer->curl_) return nullptr;
  CURL* c = transfer->curl_.get();
  // The system's proxy settings are the proxy variables of the environment,
  // which the library reads itself; a direct connection switches them off.
  if (spec.directConnection) curl_easy_setopt(c, CURLOPT_PROXY, "");
  curl_easy_setopt(c, CURLOPT_HTTP_VERSION, spec.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  if (!spec.agent.empty()) curl_easy_setopt(c, CURLOPT_USERAGENT, spec.agent.c_str());
  if (spec.verb == "HEAD") curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
  for (const std::string& header : spec.headers) {
    // Appending returns the list's head, which is new only for the first line.
    curl_slist* head = curl_slist_append(transfer->headers_.get(), header.c_str());
    if (!head) return nullptr;
    if (!transfer->headers_) transfer->headers_.reset(head);
  }
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, transfer->headers_.get());
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, spec.followRedirects ? 1L : 0L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, spec.allowRedirectToHttp ? "http,https" : "https");
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, transfer.get());
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, transfer.get());

  transfer->multi_ = curl_multi_init();
  if (!transfer->multi_ || curl_multi_add_handle(transfer->multi_, c) != CURLM_OK) return nullptr;
  return transfer;
}

HttpTransfer::~HttpTransfer() {
  if (multi_) {
    if (curl_) curl_multi_remove_handle(multi_, curl_.get());
    curl_multi_cleanup(multi_);
  }
}

std::size_t HttpTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
  static_cast<HttpTransfer*>(self)->response_.Add(std::string_view(data, size * count));
  return size * count;
}

std::size_t HttpTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto* transfer = static_cast<HttpTransfer*>(self);
  transfer->bodyStarted_ = true;
  transfer->pending_.append(data, size * count);
  return size * count;
}

void HttpTransfer::Step() {
  int running = 0;
  const CURLMcode code = curl_multi_perform(multi_, &running);
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg == CURLMSG_DONE) {
      done_ = true;
      result_ = message->data.result;
    }
  }
  if (code != CURLM_OK && !done_) {
    done_ = true;
    result_ = CURLE_OUT_OF_MEMORY;
  }
}

void HttpTransfer::WaitForActivity() { curl_multi_poll(multi_, nullptr, 0, kPollMilliseconds, nullptr); }

NetFailure HttpTransfer::Failure() { return ClassifyCurlResult(result_, tls_.chainFault); }

NetFailure HttpTransfer::WaitForHeaders() {
  Step();
  // Body bytes or the end of the exchange also mean the headers are in: an
  // answer the header tracking does not count as final (a 3xx that is not
  // followed after all) still gets to the caller.
  while (!response_.Complete() && !bodyStarted_ && !done_) {
    WaitForActivity();
    Step();
  }
  if (response_.Complete() || bodyStarted_ || (done_ && result_ == CURLE_OK && !HeaderLines().empty()))
    return NetFailure::None;
  const NetFailure failure = Failure();
  return failure == NetFailure::None ? NetFailure::InvalidResponse : failure;
}

NetFailure HttpTransfer::Read(void* buffer, std::size_t size, std::size_t* read) {
  *read = 0;
  while (pendingOffset_ == pending_.size() && !done_) {
    pending_.clear();
    pendingOffset_ = 0;
    Step();
    if (pending_.empty() && !done_) WaitForActivity();
  }
  const std::size_t available = pending_.size() - pendingOffset_;
  if (available > 0) {
    *read = std::min(size, available);
    std::memcpy(buffer, pending_.data() + pendingOffset_, *read);
    pendingOffset_ += *read;
    return NetFailure::None;
  }
  return Failure();
}

}  // namespace zv::net
