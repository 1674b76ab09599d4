#include "common/temporary_name.h"

#include <mutex>

#include "common/seeded_random.h"

namespace sqlite2 {

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
