// launcher.dat: the settings file beside the launcher, holding the OEM id.
#pragma once

#include <cstdint>
#include <istream>

// The "id" of the JSON object that is the first whitespace-delimited word of
// launcher.dat; 0 when the file is missing or unreadable, the word is not
// JSON, or "id" is absent, null or not convertible to a 32-bit integer.
std::int32_t ReadOemId();

// The same reading applied to an open settings stream.
std::int32_t ReadOemIdFrom(std::istream& settings);
