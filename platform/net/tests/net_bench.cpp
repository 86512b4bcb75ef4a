// Throughput of the net part against the loopback test server: a 256 MB
// package download over HTTP and verified HTTPS, and the launcher's pattern
// of 4096-byte reads through the internet subset.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

#include "net_test_support.h"
#include "urlmon.h"
#include "wininet.h"

using zv::test::TempDir;
using zv::test::TestServer;

namespace {

constexpr off_t kPackageSize = 256ll * 1024 * 1024;

// Counts notifications: the worker turns each one into a window message.
class CountingCallback final : public IBindStatusCallback {
 public:
  long notifications = 0;
  STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnLowResource(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override {
    ++notifications;
    return S_OK;
  }
  STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
  STDMETHODIMP GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
};

// One plain and one HTTPS server over the same 256 MB body, for the whole run.
struct Servers {
  Servers() {
    const std::string routes = R"({"/pkg.7z": {"body_file": "pkg.7z"}})";
    plain = std::make_unique<TestServer>(zv::test::TestServerOptions{.routes = routes});
    secure = std::make_unique<TestServer>(
        zv::test::TestServerOptions{.routes = routes, .cert = zv::nettest::CertDir() + "/good"});
    for (const auto* server : {plain.get(), secure.get()}) {
      // Sparse: the body costs no disk, and TLS costs the same whatever the bytes.
      const int fd = open((server->Dir() + "/pkg.7z").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ftruncate(fd, kPackageSize) != 0) std::abort();
      close(fd);
    }
  }
  std::unique_ptr<TestServer> plain;
  std::unique_ptr<TestServer> secure;
};

Servers& TheServers() {
  static Servers servers;
  return servers;
}

void DownloadPackage(benchmark::State& state, bool https) {
  zv::nettest::TrustTestCa trust;
  TempDir dir;
  const TestServer& server = https ? *TheServers().secure : *TheServers().plain;
  const std::string url = server.Url("/pkg.7z");
  const std::u16string wideUrl(url.begin(), url.end());
  const std::string target = dir.path() + "/pkg.7z";
  const std::u16string wideTarget(target.begin(), target.end());
  long notifications = 0;
  for (auto _ : state) {
    CountingCallback callback;
    if (URLDownloadToFileW(nullptr, wideUrl.c_str(), wideTarget.c_str(), 0, &callback) != S_OK) {
      state.SkipWithError("download failed");
      return;
    }
    notifications = callback.notifications;
  }
  state.SetBytesProcessed(state.iterations() * kPackageSize);
  state.counters["notifications"] = static_cast<double>(notifications);
}

void BM_DownloadPackageHttp(benchmark::State& state) { DownloadPackage(state, false); }
void BM_DownloadPackageHttps(benchmark::State& state) { DownloadPackage(state, true); }
BENCHMARK(BM_DownloadPackageHttp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DownloadPackageHttps)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ReadBodyIn4096ByteChunks(benchmark::State& state) {
  const TestServer& server = *TheServers().plain;
  std::uint64_t total = 0;
  for (auto _ : state) {
    HINTERNET internet = InternetOpenA("Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(internet, "127.0.0.1", static_cast<INTERNET_PORT>(server.Port()), nullptr,
                                            nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, "GET", "/pkg.7z", "HTTP/1.1", nullptr, nullptr,
                                         INTERNET_FLAG_RELOAD, 0);
    if (!HttpSendRequestA(request, "", 0, nullptr, 0)) {
      state.SkipWithError("request failed");
      return;
    }
    char buffer[4096];
    DWORD read = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) total += read;
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(total));
}
BENCHMARK(BM_ReadBodyIn4096ByteChunks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
