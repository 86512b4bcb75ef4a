#include "launcher/pending_deletions.h"

#include "launcher/pending_list_file.h"
#include "launcher/program_folder.h"

#include <shellapi.h>
#include <windows.h>

namespace {

constexpr char16_t kListName[] = u"temp";

// The launcher only ever records names relative to its program folder. An
// entry that is absolute (starts with a separator or a drive) or climbs out
// with ".." cannot have come from it, and following it could delete files
// anywhere; such an entry is dropped from the list without deleting anything.
bool StaysInsideFolder(const std::u16string& entry) {
  if (!entry.empty() && (entry[0] == u'\\' || entry[0] == u'/')) return false;
  const bool driveLetter = entry.size() >= 2 && entry[1] == u':' &&
                           ((entry[0] >= u'A' && entry[0] <= u'Z') || (entry[0] >= u'a' && entry[0] <= u'z'));
  if (driveLetter) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = entry.find_first_of(u"\\/", start);
    const std::u16string_view part =
        std::u16string_view(entry).substr(start, end == std::u16string::npos ? end : end - start);
    if (part == u"..") return false;
    if (end == std::u16string::npos) return true;
    start = end + 1;
  }
}

// The update worker sets things aside by putting "_" in front of their base
// name, so every name it records has a base name starting with "_".
bool IsSetAsideName(const std::u16string& entry) {
  const std::size_t separator = entry.find_last_of(u"\\/");
  const std::size_t base = separator == std::u16string::npos ? 0 : separator + 1;
  return base < entry.size() && entry[base] == u'_';
}

// Deletes one entry. A set-aside folder (a replaced folder of the old version)
// is deleted whole: deleting it as a file always fails, and it would stay on
// disk and in the list for good. Every other entry is deleted as a file only,
// so a name that is not a set-aside one never takes a folder with it.
bool DeleteEntry(const std::u16string& folder, const std::u16string& entry) {
  const std::u16string path = folder + entry;
  if (DeleteFileW(path.c_str())) return true;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      !IsSetAsideName(entry)) {
    return false;
  }
  const std::u16string sources = path + u'\0';  // the list ends with a second zero
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = sources.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  return SHFileOperationW(&operation) == 0;
}

// Deletes each entry under `folder`; returns the entries that failed, each
// followed by "|".
std::u16string DeleteEach(const std::u16string& folder,
                          const std::vector<std::u16string>& entries) {
  std::u16string remaining;
  for (const std::u16string& entry : entries) {
    if (!StaysInsideFolder(entry)) continue;
    if (!DeleteEntry(folder, entry)) remaining += entry + u"|";
  }
  return remaining;
}

// The pieces that end at each "|" of `text` + "|"; a piece may be empty.
std::vector<std::u16string> SplitEntries(const std::u16string& text) {
  std::vector<std::u16string> entries;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = text.find(u'|', start);
    if (bar == std::u16string::npos) {
      entries.push_back(text.substr(start));
      return entries;
    }
    entries.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
}

}  // namespace

void DeleteOrRecord(std::vector<std::u16string> entries) {
  const std::u16string folder = ProgramFolder();
  std::u16string remaining = DeleteEach(folder, entries);
  if (remaining.empty()) return;
  remaining.pop_back();
  WritePendingList(folder + kListName, remaining);
}

void ProcessPendingDeletions(const std::u16string& folder) {
  const std::u16string listPath = folder + kListName;
  const auto text = ReadPendingList(listPath);
  if (!text) return;
  if (text->empty()) {
    DeleteFileW(listPath.c_str());
    return;
  }
  std::u16string remaining = DeleteEach(folder, SplitEntries(*text));
  if (remaining.empty()) {
    DeleteFileW(listPath.c_str());
    return;
  }
  remaining.pop_back();
  WritePendingList(listPath, remaining);
}
