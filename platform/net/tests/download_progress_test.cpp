// The counts and pacing of download progress notifications. Pure arithmetic
// on explicit clock values: no waiting, no network.
#include <gtest/gtest.h>

#include "download_progress.h"

using zv::net::ProgressThrottle;
using zv::net::To32Bits;

namespace {

TEST(DownloadProgress, CountsBeyondFourGigabytesKeepTheirRatioInsteadOfWrapping) {
  constexpr std::uint64_t kGiB = 1ull << 30;
  struct Case {
    std::uint64_t done, total;
    ULONG progress, progressMax;
  };
  const Case cases[] = {
      {0, 0, 0, 0},
      {123, 0, 123, 0},
      {500, 1000, 500, 1000},
      {0xFFFFFFFFull, 0xFFFFFFFFull, 0xFFFFFFFF, 0xFFFFFFFF},
      {2 * kGiB, 4 * kGiB, static_cast<ULONG>(kGiB), static_cast<ULONG>(2 * kGiB)},
      {3 * kGiB, 12 * kGiB, static_cast<ULONG>(3 * kGiB / 4), static_cast<ULONG>(3 * kGiB)},
      {5 * kGiB, 0, static_cast<ULONG>(5 * kGiB / 2), 0},  // size unknown: the count alone is scaled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.done) + "/" + std::to_string(c.total));
    const auto counts = To32Bits(c.done, c.total);
    EXPECT_EQ(counts.progress, c.progress);
    EXPECT_EQ(counts.progressMax, c.progressMax);
  }
}

TEST(DownloadProgress, NotificationIsDueAfterAStepOfBytesOrAnInterval) {
  const ProgressThrottle::Clock::time_point start{};
  const auto soon = start + ProgressThrottle::kInterval / 2;
  const auto later = start + ProgressThrottle::kInterval;
  ProgressThrottle throttle(start);

  EXPECT_FALSE(throttle.Due(0, later)) << "nothing new, nothing to report";
  EXPECT_FALSE(throttle.Due(1000, soon));
  EXPECT_TRUE(throttle.Due(1000, later));
  EXPECT_TRUE(throttle.Due(ProgressThrottle::kStep, soon));

  throttle.Notified(ProgressThrottle::kStep, soon);
  EXPECT_FALSE(throttle.Behind(ProgressThrottle::kStep));
  EXPECT_FALSE(throttle.Due(ProgressThrottle::kStep + 10, later)) << "the interval counts from the last notification";
  EXPECT_TRUE(throttle.Due(2 * ProgressThrottle::kStep, later));
  EXPECT_TRUE(throttle.Due(ProgressThrottle::kStep + 10, soon + ProgressThrottle::kInterval));
  EXPECT_TRUE(throttle.Behind(ProgressThrottle::kStep + 1));
}

}  // namespace
