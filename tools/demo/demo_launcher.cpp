// The demo's launcher: one run through the steps the launcher takes, told on
// standard output as it goes, with the update worker reporting to a
// message-only window instead of the upgrade window (which is not built yet).
// It is copied into the demo program folder, which is its own folder.
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>

#include "launcher/client_contacts.h"
#include "launcher/launcher_settings.h"
#include "launcher/oem_id.h"
#include "launcher/pending_deletions.h"
#include "launcher/program_folder.h"
#include "launcher/singleton_exe.h"
#include "launcher/utf8.h"
#include "launcher/version_value.h"
#include "service/version_query.h"
#include "worker/update_worker.h"
#include "worker/worker_messages.h"

namespace {

std::string Narrow(const std::u16string& text) { return EncodeUtf8(text); }

// Runs the worker and prints its messages until the outcome arrives; true
// when the update was installed.
bool RunUpdate(const std::u16string& url) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"DemoUpgrade";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"DemoUpgrade", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::thread(UpdateWorker, url, window).detach();

  bool installed = false;
  int lastPercent = -1;
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == UM_DOWNLOAD_PROGRESS) {
      const int percent = msg.lParam > 0 ? static_cast<int>(100.0 * static_cast<double>(msg.wParam) / msg.lParam) : 0;
      if (percent != lastPercent) std::printf("  downloading: %3d%% (%lu of %ld bytes)\n", percent,
                                              static_cast<unsigned long>(msg.wParam), static_cast<long>(msg.lParam));
      lastPercent = percent;
      continue;
    }
    if (msg.message == UM_DOWNLOAD_FAILED) std::printf("  the download failed\n");
    if (msg.message == UM_UNPACK_FAILED) std::printf("  unpacking failed\n");
    if (msg.message == UM_UPDATE_DONE) std::printf("  update installed\n");
    installed = msg.message == UM_UPDATE_DONE;
    if (msg.message == UM_DOWNLOAD_FAILED || msg.message == UM_UNPACK_FAILED || msg.message == UM_UPDATE_DONE) break;
  }
  DestroyWindow(window);
  return installed;
}

}  // namespace

int main() {
  SingletonExe guard;
  guard.SetAlreadyRunningHandler([] { std::printf("has a exe running!\n"); })
      .SetOtherInstanceHandler([] { std::printf("has other exe want to run\n"); });
  guard.Acquire(u"ZvLauncher");
  std::printf("1. holding the single-instance guard\n");

  if (const std::int32_t id = ReadOemId(); id != 0) SetOemId(id);
  std::printf("2. OEM id %d\n", OemId());

  if (FindWindowW(u"MainWindow", u"Zorvik") != nullptr) {
    std::printf("3. the client is running: handing over\n");
    HandOffToRunningClient();
    return 0;
  }
  const std::u16string folder = ProgramFolder();
  const std::u16string clientPath = folder + u"Zorvik.exe";
  std::u16string clientVersion;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(clientPath.c_str(), GetFileExInfoStandard, &data)) {
    ReadVersionValue(u"FileVersion", clientPath, clientVersion);
  }
  std::printf("3. program folder %s, installed client version \"%s\"\n", Narrow(folder).c_str(),
              Narrow(clientVersion).c_str());

  ProcessPendingDeletions(folder);
  std::printf("4. pending deletions processed\n");

  HttpClient client;
  const VersionReply reply = QueryVersion(client, OemId());
  if (client.error != 0) {
    std::printf("5. version query failed (error %d): the launcher shows \"Get Data Failed!\"\n", client.error);
    return 0;
  }
  std::printf("5. version service: code %d, latest version \"%s\"\n", reply.code, Narrow(reply.latestVersion).c_str());

  if (reply.code != 0 || !NeedsUpdate(clientVersion, reply.latestVersion)) {
    std::printf("6. no update needed: starting the client\n");
    LaunchClient(folder);
    return 0;
  }
  std::printf("6. update needed. Notes:\n%s\n   package %s\n", Narrow(reply.updateNotes).c_str(),
              Narrow(reply.downloadUrl).c_str());
  if (RunUpdate(reply.downloadUrl)) {
    std::printf("7. starting the updated client\n");
    LaunchClient(folder);
  } else {
    std::printf("7. the client is not started\n");
  }
  return 0;
}
