// URLDownloadToFileW against the loopback test server: real downloads over
// HTTP and verified HTTPS, the notifications a callback sees, and what is
// left at the target when a download fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "download_progress.h"
#include "net_test_support.h"
#include "urlmon.h"

using zv::nettest::CertDir;
using zv::nettest::ReadFile;
using zv::nettest::WriteFile;
using zv::test::TempDir;
using zv::test::TestServer;

namespace {

struct Note {
  ULONG status;
  ULONG progress;
  ULONG progressMax;
};

// Records what the download reports; `react` decides what OnProgress answers.
class RecordingCallback final : public IBindStatusCallback {
 public:
  std::vector<Note> notes;
  int started = 0;
  int stopped = 0;
  HRESULT stopResult = E_UNEXPECTED;
  IBinding* binding = nullptr;
  std::function<HRESULT(const Note&, IBinding*)> react;

  STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnStartBinding(DWORD, IBinding* b) override {
    ++started;
    binding = b;
    return E_NOTIMPL;  // as the launcher's callback answers
  }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnLowResource(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG status, LPCWSTR text) override {
    EXPECT_NE(text, nullptr);
    notes.push_back({status, progress, progressMax});
    return react ? react(notes.back(), binding) : S_OK;
  }
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR) override {
    ++stopped;
    stopResult = result;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

  std::vector<ULONG> Statuses() const {
    std::vector<ULONG> statuses;
    for (const Note& note : notes) statuses.push_back(note.status);
    return statuses;
  }
};

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

HRESULT Download(const std::string& url, const std::string& target, IBindStatusCallback* callback) {
  return URLDownloadToFileW(nullptr, Wide(url).c_str(), Wide(target).c_str(), 0, callback);
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The order of a successful download's notifications and their counts.
void ExpectSuccessfulSequence(const RecordingCallback& callback, ULONG size, bool sizeAnnounced) {
  const std::vector<Note>& notes = callback.notes;
  ASSERT_GE(notes.size(), 5u);
  EXPECT_EQ(notes[0].status, BINDSTATUS_FINDINGRESOURCE);
  EXPECT_EQ(notes[1].status, BINDSTATUS_CONNECTING);
  std::size_t begin = 2;
  while (begin < notes.size() && notes[begin].status == BINDSTATUS_REDIRECTING) ++begin;
  ASSERT_LT(begin, notes.size());
  EXPECT_EQ(notes[begin].status, BINDSTATUS_BEGINDOWNLOADDATA);
  EXPECT_EQ(notes[begin].progressMax, sizeAnnounced ? size : 0u);

  ULONG last = 0;
  for (std::size_t i = begin + 1; i + 1 < notes.size(); ++i) {
    EXPECT_EQ(notes[i].status, BINDSTATUS_DOWNLOADINGDATA) << i;
    EXPECT_GT(notes[i].progress, last) << "each notification reports new bytes";
    EXPECT_EQ(notes[i].progressMax, sizeAnnounced ? size : 0u);
    last = notes[i].progress;
  }
  EXPECT_EQ(last, size) << "the last data notification has every byte";
  EXPECT_EQ(notes.back().status, BINDSTATUS_ENDDOWNLOADDATA);
  EXPECT_EQ(notes.back().progress, size);
  EXPECT_EQ(notes.back().progressMax, size) << "the end makes the size known";
  EXPECT_EQ(callback.started, 1);
  EXPECT_EQ(callback.stopped, 1);
  EXPECT_EQ(callback.stopResult, S_OK);
}

class UrlDownload : public ::testing::Test {
 protected:
  TempDir dir;
  std::string target = dir.path() + "/pkg.7z";
  const std::string bytes = zv::nettest::PatternBytes(3 * 1024 * 1024 + 17);

  void ServeBody(const TestServer& server) { WriteFile(server.Dir() + "/body.bin", bytes); }
};

TEST_F(UrlDownload, VerifiedHttpsDownloadInEveryFramingReplacesTheTarget) {
  zv::nettest::TrustTestCa trust;
  TestServer server({.routes = R"({
    "/length": {"body_file": "body.bin"},
    "/chunked": {"body_file": "body.bin", "framing": "chunked"},
    "/close": {"body_file": "body.bin", "framing": "close"}})", .cert = CertDir() + "/good"});
  ServeBody(server);
  for (const auto& [route, sizeAnnounced] : {std::pair{"/length", true}, {"/chunked", false}, {"/close", false}}) {
    SCOPED_TRACE(route);
    WriteFile(target, "old package");
    RecordingCallback callback;
    ASSERT_EQ(Download(server.Url(route), target, &callback), S_OK);
    EXPECT_EQ(ReadFile(target), bytes);
    EXPECT_FALSE(Exists(target + ".part"));
    ExpectSuccessfulSequence(callback, static_cast<ULONG>(bytes.size()), sizeAnnounced);
  }
}

TEST_F(UrlDownload, RedirectIsFollowedAndReported) {
  TestServer server({.routes = R"({"/old.7z": {"redirect": "/new.7z"}, "/new.7z": {"body_file": "body.bin"}})"});
  ServeBody(server);
  RecordingCallback callback;
  ASSERT_EQ(Download(server.Url("/old.7z"), target, &callback), S_OK);
  EXPECT_EQ(ReadFile(target), bytes);
  EXPECT_EQ(callback.Statuses()[2], BINDSTATUS_REDIRECTING);
  ExpectSuccessfulSequence(callback, static_cast<ULONG>(bytes.size()), true);
  EXPECT_EQ(server.RequestLog(), (std::vector<std::string>{"/old.7z", "/new.7z"}));
}

TEST_F(UrlDownload, EmptyFileAndNoCallbackAreFine) {
  TestServer server({.routes = R"({"/empty": {"body": ""}, "/pkg": {"body": "abc"}})"});
  RecordingCallback callback;
  ASSERT_EQ(Download(server.Url("/empty"), target, &callback), S_OK);
  EXPECT_EQ(ReadFile(target), "");
  EXPECT_EQ(callback.Statuses(), (std::vector<ULONG>{BINDSTATUS_FINDINGRESOURCE, BINDSTATUS_CONNECTING,
                                                     BINDSTATUS_BEGINDOWNLOADDATA, BINDSTATUS_ENDDOWNLOADDATA}));
  ASSERT_EQ(Download(server.Url("/pkg"), target, nullptr), S_OK);
  EXPECT_EQ(ReadFile(target), "abc");
}

// Whatever breaks a download, the file that was at the target stays as it
// was and nothing else is left behind.
TEST_F(UrlDownload, FailedDownloadKeepsTheOldTargetAndLeavesNoPartialFile) {
  zv::nettest::ShortTimeLimits limits;
  TestServer server({.routes = R"({
    "/missing": {"status": 404, "body": "not here"},
    "/error": {"status": 500, "body": "trouble"},
    "/drop": {"body_file": "body.bin", "drop_after": 1000000},
    "/drop-chunked": {"body_file": "body.bin", "drop_after": 1000000, "framing": "chunked"},
    "/stall": {"body_file": "body.bin", "stall_after": 1000000},
    "/silent": {"body": "late", "delay": 60}})"});
  ServeBody(server);
  struct Case {
    std::string url;
    HRESULT expected;
  };
  const std::vector<Case> cases = {
      {server.Url("/missing"), INET_E_OBJECT_NOT_FOUND},
      {server.Url("/error"), INET_E_DOWNLOAD_FAILURE},
      {server.Url("/drop"), INET_E_DOWNLOAD_FAILURE},
      {server.Url("/drop-chunked"), INET_E_DOWNLOAD_FAILURE},
      {server.Url("/stall"), INET_E_CONNECTION_TIMEOUT},
      {server.Url("/silent"), INET_E_CONNECTION_TIMEOUT},
      {"http://127.0.0.1:" + std::to_string(zv::nettest::ClosedPort()) + "/pkg", INET_E_CANNOT_CONNECT},
      {"ftp://127.0.0.1/pkg", INET_E_UNKNOWN_PROTOCOL},
  };
  WriteFile(target, "old package");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    RecordingCallback callback;
    EXPECT_EQ(Download(c.url, target, &callback), c.expected);
    EXPECT_EQ(callback.stopResult, c.expected);
    EXPECT_EQ(ReadFile(target), "old package");
    EXPECT_FALSE(Exists(target + ".part"));
    for (const Note& note : callback.notes) EXPECT_NE(note.status, BINDSTATUS_ENDDOWNLOADDATA);
  }
}

TEST_F(UrlDownload, CertificatesAreAlwaysVerified) {
  // The test CA is not trusted here, and a download offers no way to ignore that.
  TestServer server({.routes = R"({"/pkg": {"body": "abc"}})", .cert = CertDir() + "/good"});
  EXPECT_EQ(Download(server.Url("/pkg"), target, nullptr), INET_E_INVALID_CERTIFICATE);
  EXPECT_FALSE(Exists(target));
  EXPECT_TRUE(server.RequestLog().empty());
}

TEST_F(UrlDownload, HttpsDoesNotFollowARedirectToPlainHttp) {
  zv::nettest::TrustTestCa trust;
  TestServer plain({.routes = R"({"/pkg": {"body": "unprotected"}})"});
  TestServer secure({.routes = R"({"/pkg": {"redirect": ")" + plain.Url("/pkg") + R"("}})",
                     .cert = CertDir() + "/good"});
  EXPECT_TRUE(FAILED(Download(secure.Url("/pkg"), target, nullptr)));
  EXPECT_FALSE(Exists(target));
  EXPECT_TRUE(plain.RequestLog().empty());
}

TEST_F(UrlDownload, CallbackCancelsThroughItsAnswerOrTheBinding) {
  TestServer server({.routes = R"({"/pkg": {"body_file": "body.bin"}})"});
  ServeBody(server);
  struct Case {
    ULONG at;
    bool throughBinding;
  };
  for (const Case& c : {Case{BINDSTATUS_CONNECTING, false}, Case{BINDSTATUS_BEGINDOWNLOADDATA, false},
                        Case{BINDSTATUS_DOWNLOADINGDATA, false}, Case{BINDSTATUS_ENDDOWNLOADDATA, false},
                        Case{BINDSTATUS_DOWNLOADINGDATA, true}}) {
    SCOPED_TRACE(std::to_string(c.at) + (c.throughBinding ? " binding" : " answer"));
    WriteFile(target, "old package");
    RecordingCallback callback;
    callback.react = [&](const Note& note, IBinding* binding) {
      if (note.status != c.at) return S_OK;
      if (!c.throughBinding) return E_ABORT;
      EXPECT_EQ(binding->Abort(), S_OK);
      return S_OK;
    };
    EXPECT_EQ(Download(server.Url("/pkg"), target, &callback), E_ABORT);
    EXPECT_EQ(callback.notes.back().status, c.at) << "nothing is reported after the cancel";
    EXPECT_EQ(callback.stopResult, E_ABORT);
    EXPECT_EQ(ReadFile(target), "old package");
    EXPECT_FALSE(Exists(target + ".part"));
  }
}

TEST_F(UrlDownload, MissingTargetFolderOrArgumentsFailBeforeAnyRequest) {
  TestServer server({.routes = R"({"/pkg": {"body": "abc"}})"});
  EXPECT_EQ(Download(server.Url("/pkg"), dir.path() + "/no/such/pkg.7z", nullptr),
            HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(URLDownloadToFileW(nullptr, nullptr, Wide(target).c_str(), 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(URLDownloadToFileW(nullptr, Wide(server.Url("/pkg")).c_str(), u"", 0, nullptr), E_INVALIDARG);
  EXPECT_TRUE(server.RequestLog().empty());
}

}  // namespace
