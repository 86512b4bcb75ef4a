// The package download: a blocking download of a URL into a file, with the
// progress posted to the upgrade window.
#pragma once

#include <string>

#include "win/base.h"

// Downloads `url` into `target`, creating the target's folder first when it
// is missing. True only when the download succeeded and the file is there.
// A failed download leaves nothing at `target`.
bool DownloadPackage(const std::u16string& url, const std::u16string& target, HWND window);

// Creates `path` after its missing parents; true when `path` itself was
// created (false when it was already there).
bool MakeDirectories(const std::u16string& path);
