// The answers of HttpQueryInfoA/W, worked out from a response's header lines.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win/base.h"

namespace zv::net {

// The text (UTF-8) that `level` asks for; for the list forms it already holds
// the separators. nullopt with `error` set when the response has no such value
// or the level is not supported. `index` picks among repeated headers.
std::optional<std::string> QueryHeaderText(const std::vector<std::string>& lines, DWORD level, DWORD index,
                                           DWORD* error);

// Copies `text` to the caller's buffer in the way the query calls do: as wide
// or byte characters followed by a terminating zero. The length is in bytes,
// in and out: on success without the terminating zero, on
// ERROR_INSUFFICIENT_BUFFER the size needed with it.
bool CopyQueryText(const std::string& text, bool wide, void* buffer, DWORD* length);

// Copies the number that `text` holds as a DWORD (HTTP_QUERY_FLAG_NUMBER).
bool CopyQueryNumber(const std::string& text, void* buffer, DWORD* length);

}  // namespace zv::net
