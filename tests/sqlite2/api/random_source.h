#pragma once

// The one stream of random choices the statement generators draw from, so that a seed gives
// the same statements however the generators are split.

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace orvalen::test {

class RandomSource {
 public:
  explicit RandomSource(uint64_t seed) : rng_(seed) {}

  // 0 .. bound - 1.
  int below(int bound) { return static_cast<int>(rng_() % static_cast<uint64_t>(bound)); }
  bool chance(int percent) { return below(100) < percent; }
  uint64_t raw() { return rng_(); }

  template <typename T, size_t N>
  const T& oneOf(const T (&items)[N]) {
    return items[below(static_cast<int>(N))];
  }
  template <typename T>
  const T& oneOf(const std::vector<T>& items) {
    return items[below(static_cast<int>(items.size()))];
  }

 private:
  std::mt19937_64 rng_;
};

}  // namespace orvalen::test
