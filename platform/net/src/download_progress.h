// The numbers a download reports to its bind status callback, and how often.
#pragma once

#include <chrono>
#include <cstdint>

#include "win/base.h"

namespace zv::net {

struct ProgressPair {
  ULONG progress;
  ULONG progressMax;
};

// The callback takes 32-bit counts. Beyond 4 GiB both numbers are halved
// together as often as needed, so their ratio (what a progress bar shows)
// stays right instead of the counts wrapping around to small numbers.
ProgressPair To32Bits(std::uint64_t done, std::uint64_t total);

// Each DOWNLOADINGDATA notification may become a window message, so one per
// received piece would flood the receiver on a fast link. A notification is
// due once kStep more bytes have arrived or kInterval has passed since the
// last one, whichever comes first: a few hundred messages for a large file,
// still several a second on a slow link.
class ProgressThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::uint64_t kStep = 256 * 1024;
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(250);

  explicit ProgressThrottle(Clock::time_point start) : lastTime_(start) {}

  bool Due(std::uint64_t done, Clock::time_point now) const;
  // Bytes have arrived since the last notification.
  bool Behind(std::uint64_t done) const { return done > lastDone_; }
  void Notified(std::uint64_t done, Clock::time_point now);

 private:
  std::uint64_t lastDone_ = 0;
  Clock::time_point lastTime_;
};

}  // namespace zv::net
