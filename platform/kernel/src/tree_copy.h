// Copying and removing whole file trees, for moves between file systems.
#pragma once

#include <string>

namespace zv::kernel {

// The first failure of a tree operation: its errno and the path it concerned.
struct TreeError {
  int err = 0;
  std::string path;
};

// Copies the file, folder or symbolic link at `from` to the new name `to`,
// which must not exist yet; folders with everything in them. Permission bits
// and access and modification times are kept. On failure whatever was created
// at `to` is removed again and the error is returned.
bool CopyTree(const std::string& from, const std::string& to, TreeError& error);

// Removes a file, a symbolic link or a folder with everything in it.
bool RemoveTree(const std::string& path, TreeError& error);

}  // namespace zv::kernel
