// A launcher-side test program: runs one launcher piece in a real process,
// from whatever folder the test copied it to, and prints what it saw.
#include "launcher/client_contacts.h"
#include "launcher/launcher_settings.h"
#include "launcher/oem_id.h"
#include "launcher/pending_deletions.h"
#include "launcher/program_folder.h"
#include "launcher/singleton_exe.h"
#include "launcher/utf8.h"
#include "launcher/version_value.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

std::u16string Wide(const std::string& text) { return DecodeUtf8(text).value_or(u"?"); }

// Holds the guard as the start-up sequence does, then shows that it went on
// to read launcher.dat, and keeps the guard until standard input closes.
int Guard(const std::string& name) {
  SingletonExe guard;
  guard.SetAlreadyRunningHandler([] { std::cout << "has a exe running!" << std::endl; })
      .SetOtherInstanceHandler([] { std::cout << "has other exe want to run" << std::endl; });
  guard.Acquire(Wide(name));
  std::cout << "oem id " << ReadOemId() << std::endl;
  std::string ignored;
  while (std::cin >> ignored) {
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return 2;
  const std::string& command = args[0];
  if (command == "program-folder") {
    std::cout << EncodeUtf8(ProgramFolder()) << std::endl;
  } else if (command == "oem-id") {
    std::cout << ReadOemId() << std::endl;
  } else if (command == "delete-or-record") {
    std::vector<std::u16string> entries;
    for (std::size_t i = 1; i < args.size(); ++i) entries.push_back(Wide(args[i]));
    DeleteOrRecord(entries);
  } else if (command == "process-pending") {
    ProcessPendingDeletions(ProgramFolder());
  } else if (command == "guard" && args.size() == 2) {
    return Guard(args[1]);
  } else if (command == "launch-client" && args.size() == 2) {
    SetOemId(std::stoi(args[1]));
    LaunchClient(ProgramFolder());
  } else if (command == "handoff" && args.size() == 2) {
    SetOemId(std::stoi(args[1]));
    HandOffToRunningClient();
    std::cout << "handed off" << std::endl;
  } else if (command == "version" && args.size() == 3) {
    std::u16string value = u"(untouched)";
    const bool result = ReadVersionValue(Wide(args[1]), Wide(args[2]), value);
    std::cout << (result ? "true" : "false") << " " << EncodeUtf8(value) << std::endl;
  } else {
    return 2;
  }
  return 0;
}
