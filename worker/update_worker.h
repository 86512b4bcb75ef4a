// The update worker: the background half of the upgrade window. It downloads
// the package into the program folder, sets aside what the package replaces,
// unpacks it and reports the outcome to the window.
#pragma once

#include <string>

#include "win/base.h"

// The thread function. Runs the whole update on the calling thread and posts
// exactly one of UM_DOWNLOAD_FAILED, UM_UNPACK_FAILED and UM_UPDATE_DONE to
// `window` as its last act; UM_DOWNLOAD_PROGRESS comes during the download.
void UpdateWorker(std::u16string url, HWND window);
