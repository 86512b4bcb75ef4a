// Paths, folders, deletion and file streams for the archive classes.
#pragma once

#include <string>

#include "objbase.h"

namespace SevenZip {

// folder + name, with one separator between them ("\" unless the folder
// already ends in "\" or "/"); an empty folder gives the name alone.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);

// The path up to and including its last "\" or "/"; empty when it has none.
std::u16string DirectoryPart(const std::u16string& path);

// Creates the folder and all missing levels above it; true when it exists
// afterwards.
bool EnsureDirectoryTree(const std::u16string& path);

// True for a file or a folder at the path.
bool PathExists(const std::u16string& path);

// Deletes a file, or a folder with everything in it, for good and without
// any dialog. True when nothing is left at the path.
bool DeletePath(const std::u16string& path);

// A stream reading an existing file, or null.
IStream* OpenReadStream(const std::u16string& path);

// A stream writing a new or truncated file, or null.
IStream* CreateWriteStream(const std::u16string& path);

// True when an item path names something strictly inside the folder it is
// unpacked into: not empty, not absolute, without a drive, and without any
// ".." step, so that no item can be written (or set aside) anywhere else.
bool IsContainedItemPath(const std::u16string& path);

}  // namespace SevenZip
