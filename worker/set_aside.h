// Names for the update: the package's file name, and the names that replaced
// files and folders are set aside under.
#pragma once

#include <string>
#include <vector>

// The part of the URL after its last "/" or "\"; the whole URL without
// either. A query or fragment stays part of the name.
std::u16string PackageName(const std::u16string& url);

// `name` with `underscores` "_" put in front of its base name.
std::u16string SetAsideName(const std::u16string& name, std::size_t underscores);

// Renames every item of `itemNames` that exists in `folder` to the first free
// set-aside name, adding each name that was set aside to `setAside` in order.
// An item below a folder that went aside no longer exists and is passed
// over. False when a rename fails; the names set aside until then are in
// `setAside`.
bool SetAsideItems(const std::u16string& folder, const std::vector<std::u16string>& itemNames,
                   std::vector<std::u16string>& setAside);
