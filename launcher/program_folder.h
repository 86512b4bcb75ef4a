// The launcher's own folder, which holds the client, launcher.dat and the
// pending-deletion list.
#pragma once

#include <string>

// The full path of the running executable cut right after its last path
// separator ("\" or "/"), so that it ends with that separator.
std::u16string ProgramFolder();
