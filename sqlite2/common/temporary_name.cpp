#include "common/temporary_name.h"

#include <chrono>
#include <mutex>
#include <random>

namespace sqlite2 {

namespace {

std::mt19937 seededGenerator() {
  std::seed_seq::result_type entropy = 0;
  try {
    entropy = std::random_device()();
  } catch (...) {
    // No random device: the clock still differs from run to run.
  }
  auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  std::seed_seq seed{entropy, static_cast<uint32_t>(now), static_cast<uint32_t>(now >> 32)};
  return std::mt19937(seed);
}

}  // namespace

std::string temporaryFileName() {
  static const char kCharacters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::mutex lock;
  static std::mt19937 random = seededGenerator();
  std::uniform_int_distribution<size_t> pick(0, sizeof kCharacters - 2);
  std::lock_guard<std::mutex> guard(lock);
  std::string name = "sqlite_";
  for (int i = 0; i < 15; ++i) name += kCharacters[pick(random)];
  return name;
}

}  // namespace sqlite2
