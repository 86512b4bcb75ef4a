// How long the net part waits for a silent server. Layer-internal: tests
// lower the limits through SetTimeLimitsForTests; the product cannot reach it.
#pragma once

#include <chrono>

namespace zv::net {

struct TimeLimits {
  // Establishing the TCP connection and the TLS handshake.
  std::chrono::milliseconds connect{15000};
  // No byte at all for this long ends a transfer: long enough for a slow
  // server to think, short enough that the launcher never hangs for good.
  std::chrono::milliseconds idle{30000};
};

TimeLimits CurrentTimeLimits();
void SetTimeLimitsForTests(const TimeLimits& limits);

}  // namespace zv::net
