#include "launcher/oem_id.h"

namespace {
std::int32_t g_oemId = 1;
}

std::int32_t OemId() { return g_oemId; }

void SetOemId(std::int32_t id) { g_oemId = id; }
