#include "launcher/client_contacts.h"

#include "launcher/oem_id.h"

#include <string>

namespace {

std::u16string Decimal(std::int32_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

void LaunchClient(const std::u16string& folder) {
  // Both texts are built at their full length: a program folder too long for
  // a 260-character buffer still starts the client at its real path instead
  // of overflowing the buffer or starting a cut-off path.
  const std::u16string applicationPath = folder + u"Zorvik.exe";
  std::u16string commandLine = u"-show -oemid:" + Decimal(OemId());

  STARTUPINFOW startup{};
  startup.cb = 68;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = 1;  // SW_SHOWNORMAL
  PROCESS_INFORMATION process{};
  CreateProcessW(applicationPath.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                 nullptr, &startup, &process);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

void HandOffToRunningClient() {
  const HWND upgradeWindow = FindWindowW(u"UpgradeWindow", u"Zorvik");
  const HWND mainWindow = FindWindowW(u"MainWindow", u"Zorvik");
  const HWND target = upgradeWindow ? upgradeWindow : mainWindow;
  if (!target) return;
  SendMessageW(target, UM_CLIENT_HANDOFF, static_cast<WPARAM>(OemId()), 0);
}
