// The two contacts with the client program Zorvik.exe beside the launcher.
#pragma once

#include <windows.h>

#include <string>

// Sent to the running client's window with the OEM id in wParam. A fixed
// number agreed with the client, not a message registered by name.
constexpr UINT UM_CLIENT_HANDOFF = 0xFF30;

// Starts folder + "Zorvik.exe" with the command line "-show -oemid:<OEM id>".
// A failed start is not reported.
void LaunchClient(const std::u16string& folder);

// Sends UM_CLIENT_HANDOFF to the client's "UpgradeWindow" window titled
// "Zorvik", or else to its "MainWindow" window; to nothing when neither exists.
void HandOffToRunningClient();
