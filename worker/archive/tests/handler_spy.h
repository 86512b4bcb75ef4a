// Records the archive handlers the wrapper asks the format library for.
//
// The handler ids tried are the library's business and leave no other trace,
// so the module "7z.dll" gets a stand-in CreateObject that notes each class
// id and hands the call on to the real library unchanged. It is installed
// before the first test, so every test of this program sees the real library
// through it.
#pragma once

#include <vector>

#include "win/base.h"

namespace archive_test {

// The format ids (the xx of {23170F69-40C1-278A-1000-000110xx0000}) of the
// readers created since the last call, oldest first.
std::vector<BYTE> TakeHandlersTried();

}  // namespace archive_test
