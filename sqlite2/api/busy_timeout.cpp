#include "api/busy_timeout.h"

namespace sqlite2::api {

int busyTimeoutDelay(int timeoutMs, int attempt) {
  static constexpr int kDelays[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 50, 100};
  // Time slept before each attempt as the library counts it. Its last entry is 287 although
  // the delays before it add up to 278; keeping it keeps the library's timing.
  static constexpr int kPriorTotals[] = {0, 1, 3, 8, 18, 33, 53, 78, 103, 128, 178, 228, 287};
  constexpr int kSteps = sizeof kDelays / sizeof kDelays[0];
  if (attempt < 1) attempt = 1;
  long long delay;
  long long prior;
  if (attempt <= kSteps) {
    delay = kDelays[attempt - 1];
    prior = kPriorTotals[attempt - 1];
  } else {
    delay = 100;
    prior = kPriorTotals[kSteps - 1] + 100LL * (attempt - kSteps - 1);
  }
  if (prior + delay > timeoutMs) {
    delay = timeoutMs - prior;
    if (delay <= 0) return 0;
  }
  return static_cast<int>(delay);
}

}  // namespace sqlite2::api
