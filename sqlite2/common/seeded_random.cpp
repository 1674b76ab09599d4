#include "common/seeded_random.h"

#include <chrono>

namespace sqlite2 {

std::mt19937 seededGenerator(uint32_t extra) {
  std::seed_seq::result_type entropy = 0;
  try {
    entropy = std::random_device()();
  } catch (...) {
    // No random device: the clock and the caller's extra still vary from run to run.
  }
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  std::seed_seq seed{entropy, static_cast<uint32_t>(now), static_cast<uint32_t>(now >> 32), extra};
  return std::mt19937(seed);
}

}  // namespace sqlite2
