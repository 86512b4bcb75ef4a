#include "time_limits.h"

#include <mutex>

namespace zv::net {
namespace {

std::mutex limitsMutex;
TimeLimits limits;

}  // namespace

TimeLimits CurrentTimeLimits() {
  std::lock_guard lock(limitsMutex);
  return limits;
}

void SetTimeLimitsForTests(const TimeLimits& newLimits) {
  std::lock_guard lock(limitsMutex);
  limits = newLimits;
}

}  // namespace zv::net
