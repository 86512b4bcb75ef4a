// The pending-deletion list: the file "temp" in the program folder, naming
// set-aside files that could not be deleted yet, relative to that folder and
// joined by "|".
#pragma once

#include <string>
#include <vector>

// Deletes each entry (relative to the program folder); records the ones that
// fail in the list, replacing its content. Leaves the list untouched when
// every entry was deleted. Entries that could reach outside the program
// folder are neither deleted nor recorded.
void DeleteOrRecord(std::vector<std::u16string> entries);

// Deletes what the list in `folder` names; rewrites the list with the entries
// that still fail, or removes it when none is left.
void ProcessPendingDeletions(const std::u16string& folder);
