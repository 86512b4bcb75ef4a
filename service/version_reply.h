// The version service's answer, as far as the launcher keeps it.
#pragma once

#include <cstdint>
#include <string>

struct VersionReply {
  std::int32_t code = 0;
  std::u16string latestVersion;
  std::u16string updateNotes;
  std::u16string downloadUrl;
  std::u16string message;
};
