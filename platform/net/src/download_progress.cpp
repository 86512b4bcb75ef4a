#include "download_progress.h"

#include <algorithm>

namespace zv::net {

ProgressPair To32Bits(std::uint64_t done, std::uint64_t total) {
  const std::uint64_t largest = std::max(done, total);
  int shift = 0;
  while ((largest >> shift) > 0xFFFFFFFFull) ++shift;
  return {static_cast<ULONG>(done >> shift), static_cast<ULONG>(total >> shift)};
}

bool ProgressThrottle::Due(std::uint64_t done, Clock::time_point now) const {
  return Behind(done) && (done - lastDone_ >= kStep || now - lastTime_ >= kInterval);
}

void ProgressThrottle::Notified(std::uint64_t done, Clock::time_point now) {
  lastDone_ = done;
  lastTime_ = now;
}

}  // namespace zv::net
