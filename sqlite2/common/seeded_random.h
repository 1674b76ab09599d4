#pragma once

// A random generator for what must differ from run to run (temporary names, journal checksum
// seeds), not for anything a test repeats.

#include <cstdint>
#include <random>

namespace sqlite2 {

// Seeded from the random device when there is one, the clock, and `extra` (the caller's own
// variety, such as the process id, for when there is no random device).
std::mt19937 seededGenerator(uint32_t extra = 0);

}  // namespace sqlite2
