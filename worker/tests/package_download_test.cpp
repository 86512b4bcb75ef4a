#include "worker/package_download.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "TestServer.h"
#include "message_sink.h"
#include "worker/archive/tests/archive_test_support.h"
#include "worker/bind_callback.h"
#include "worker/worker_messages.h"

namespace {

using archive_test::TempFolder;
using archive_test::Wide;
using worker_test::MessageSink;
using worker_test::Posted;

constexpr std::size_t kBodySize = 3 * 1024 * 1024 + 17;

class Download : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    certificates_ = new zv::test::TempDir;
    zv::test::MakeCertificates(certificates_->path());
    // Test only: the download trusts our test authority besides the system's.
    ::setenv("ZV_TEST_CA_FILE", (certificates_->path() + "/ca.pem").c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete certificates_;
    certificates_ = nullptr;
  }

  void SetUp() override {
    body_.resize(kBodySize);
    for (std::size_t i = 0; i < body_.size(); ++i) body_[i] = static_cast<char>((i * 131) ^ (i >> 9));
  }

  std::unique_ptr<zv::test::TestServer> Serve(const std::string& routes, bool https) {
    auto server = std::make_unique<zv::test::TestServer>(zv::test::TestServerOptions{
        .routes = routes, .cert = https ? certificates_->path() + "/good" : std::string()});
    std::ofstream(server->Dir() + "/pkg.7z", std::ios::binary) << body_;
    return server;
  }

  static zv::test::TempDir* certificates_;
  std::string body_;
  TempFolder folder_;
  MessageSink sink_;
};

zv::test::TempDir* Download::certificates_ = nullptr;

constexpr char kRoutes[] = R"({
  "/pkg.7z": {"body_file": "pkg.7z"},
  "/chunked.7z": {"body_file": "pkg.7z", "framing": "chunked"},
  "/old.7z": {"redirect": "/pkg.7z"},
  "/missing.7z": {"status": 404, "body": "gone"},
  "/dropped.7z": {"body_file": "pkg.7z", "drop_after": 1000000},
  "/stalled.7z": {"body_file": "pkg.7z", "stall_after": 1000000}
})";

TEST_F(Download, StoresTheFileAndPostsEveryProgressNotification) {
  struct Case {
    const char* route;
    bool https;
    bool sizeKnown;
  };
  for (const Case& c : {Case{"/pkg.7z", true, true}, Case{"/pkg.7z", false, true},
                        Case{"/chunked.7z", false, false}, Case{"/old.7z", true, true}}) {
    auto server = Serve(kRoutes, c.https);
    const std::u16string target = folder_.W(std::string("got") + (c.https ? "s" : "") + c.route);
    ASSERT_TRUE(DownloadPackage(Wide(server->Url(c.route)), target, sink_.Window())) << c.route;
    EXPECT_EQ(folder_.Read(std::string("got") + (c.https ? "s" : "") + c.route), body_) << c.route;

    const std::vector<Posted> posted = sink_.Take();
    ASSERT_GE(posted.size(), 2u) << c.route;
    ULONG previous = 0;
    for (std::size_t i = 0; i < posted.size(); ++i) {
      const Posted& p = posted[i];
      EXPECT_EQ(p.message, UM_DOWNLOAD_PROGRESS);
      EXPECT_GE(static_cast<ULONG>(p.wParam), previous) << c.route;
      previous = static_cast<ULONG>(p.wParam);
      // The total is either not known yet (0) or the true size.
      if (p.lParam != 0) {
        EXPECT_EQ(static_cast<std::size_t>(p.lParam), kBodySize) << c.route;
      }
      // Without a length from the server the total is known only at the end.
      if (!c.sizeKnown && i + 1 < posted.size()) {
        EXPECT_EQ(p.lParam, 0) << c.route;
      }
    }
    // Notifications before any byte arrived are posted too.
    EXPECT_EQ(posted.front().wParam, 0u) << c.route;
    EXPECT_EQ(static_cast<std::size_t>(posted.back().wParam), kBodySize) << c.route;
  }
}

TEST_F(Download, FailuresLeaveNothingAtTheTarget) {
  auto server = Serve(kRoutes, false);
  for (const char* route : {"/missing.7z", "/dropped.7z", "/nowhere.7z"}) {
    EXPECT_FALSE(DownloadPackage(Wide(server->Url(route)), folder_.W(route + 1), sink_.Window())) << route;
    // Neither the target nor a partial file beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Native()), {}), 0) << route;
  }
  // An untrusted certificate is a failure too.
  auto selfSigned = std::make_unique<zv::test::TestServer>(
      zv::test::TestServerOptions{.routes = R"({"/a": {"body": "x"}})", .cert = certificates_->path() + "/selfsigned"});
  EXPECT_FALSE(DownloadPackage(Wide(selfSigned->Url("/a")), folder_.W("a"), sink_.Window()));
  EXPECT_FALSE(std::filesystem::exists(folder_.Native("a")));
}

// The server sends part of the file and then nothing: the download gives up
// after the download component's idle limit (30 seconds).
TEST_F(Download, StalledTransferFails) {
  auto server = Serve(kRoutes, false);
  EXPECT_FALSE(DownloadPackage(Wide(server->Url("/stalled.7z")), folder_.W("stalled.7z"), sink_.Window()));
  EXPECT_FALSE(std::filesystem::exists(folder_.Native("stalled.7z")));
}

TEST_F(Download, CreatesTheMissingFoldersOfTheTarget) {
  auto server = Serve(kRoutes, false);
  ASSERT_TRUE(DownloadPackage(Wide(server->Url("/pkg.7z")), folder_.W("a\\b/c\\pkg.7z"), sink_.Window()));
  EXPECT_EQ(folder_.Read("a/b/c/pkg.7z"), body_);
  // A level that cannot be made (a file stands there) stops it before any
  // request is sent.
  folder_.Write("file", "x");
  const std::size_t asked = server->RequestLog().size();
  EXPECT_FALSE(DownloadPackage(Wide(server->Url("/pkg.7z")), folder_.W("file/sub/pkg.7z"), sink_.Window()));
  EXPECT_EQ(server->RequestLog().size(), asked);
}

TEST_F(Download, TargetWithoutFolderGoesToTheCurrentFolder) {
  auto server = Serve(kRoutes, false);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder_.Native());
  const bool done = DownloadPackage(Wide(server->Url("/pkg.7z")), u"bare.7z", sink_.Window());
  std::filesystem::current_path(previous);
  EXPECT_TRUE(done);
  EXPECT_EQ(folder_.Read("bare.7z"), body_);
}

TEST(MakeDirectories, CreatesMissingParentsAndReportsTheLastLevel) {
  TempFolder folder;
  EXPECT_TRUE(MakeDirectories(folder.W("x/y\\z")));
  EXPECT_TRUE(std::filesystem::is_directory(folder.Native("x/y/z")));
  EXPECT_FALSE(MakeDirectories(folder.W("x/y\\z")));  // already there
  EXPECT_TRUE(MakeDirectories(folder.W("x/new")));
  folder.Write("f", "");
  EXPECT_FALSE(MakeDirectories(folder.W("f/sub")));
}

TEST(BindCallback, PostsEveryNotificationUnchangedAndImplementsNothingElse) {
  MessageSink sink;
  BindCallback callback(sink.Window());
  void* object = &callback;
  EXPECT_EQ(callback.QueryInterface(IID_IBindStatusCallback, &object), E_NOTIMPL);
  EXPECT_EQ(object, &callback);
  EXPECT_EQ(callback.AddRef(), 0u);
  EXPECT_EQ(callback.Release(), 0u);
  EXPECT_EQ(callback.GetBindInfo(nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(callback.OnProgress(0, 0, BINDSTATUS_CONNECTING, u"127.0.0.1"), S_OK);
  EXPECT_EQ(callback.OnProgress(4000000000u, 4100000000u, BINDSTATUS_DOWNLOADINGDATA, nullptr), S_OK);
  const std::vector<Posted> posted = sink.Take();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, UM_DOWNLOAD_PROGRESS);
  EXPECT_EQ(posted[0].wParam, 0u);
  EXPECT_EQ(posted[0].lParam, 0);
  EXPECT_EQ(posted[1].wParam, 4000000000u);
  EXPECT_EQ(posted[1].lParam, 4100000000);
}

}  // namespace
