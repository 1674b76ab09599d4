#include "api/busy_timeout.h"

#include <vector>

#include <gtest/gtest.h>

namespace sqlite2::api {
namespace {

std::vector<int> sleepsUntilGivingUp(int timeoutMs) {
  std::vector<int> sleeps;
  for (int attempt = 1; attempt < 100000; ++attempt) {
    int delay = busyTimeoutDelay(timeoutMs, attempt);
    if (delay <= 0) break;
    sleeps.push_back(delay);
  }
  return sleeps;
}

TEST(BusyTimeoutTest, FollowsTheLibrarySchedule) {
  // What SQLite 2.8 was seen to sleep under a 700 ms timeout (791 ms in all).
  EXPECT_EQ(sleepsUntilGivingUp(700), (std::vector<int>{1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 50,
                                                        100, 100, 100, 100, 100, 13}));
}

TEST(BusyTimeoutTest, ShortTimeoutsCutTheLastSleep) {
  EXPECT_EQ(sleepsUntilGivingUp(1), (std::vector<int>{1}));
  EXPECT_EQ(sleepsUntilGivingUp(2), (std::vector<int>{1, 1}));
  EXPECT_EQ(sleepsUntilGivingUp(10), (std::vector<int>{1, 2, 5, 2}));
  EXPECT_EQ(sleepsUntilGivingUp(287),
            (std::vector<int>{1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 50}));
  EXPECT_TRUE(sleepsUntilGivingUp(0).empty());
}

TEST(BusyTimeoutTest, LongTimeoutsSleepATenthOfASecondAtATime) {
  std::vector<int> sleeps = sleepsUntilGivingUp(60000);
  // Twelve short sleeps, 598 of 100 ms, then the rest by the library's count: 13 ms.
  ASSERT_EQ(sleeps.size(), 12u + 598u + 1u);
  EXPECT_EQ(sleeps[13], 100);
  EXPECT_EQ(sleeps[sleeps.size() - 2], 100);
  EXPECT_EQ(sleeps.back(), 13);
  // Huge timeouts and attempt counts must not overflow into a negative (give-up) answer.
  EXPECT_EQ(busyTimeoutDelay(2147483647, 20000000), 100);
}

}  // namespace
}  // namespace sqlite2::api
