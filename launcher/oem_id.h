// The process-wide OEM id: 1 until the start-up sequence replaces it once with
// a non-zero id from launcher.dat; read-only once other threads run.
#pragma once

#include <cstdint>

std::int32_t OemId();
void SetOemId(std::int32_t id);
