#include "sql/temporary_database.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "common/error.h"
#include "pager/pager.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr int kNameTries = 20;

}  // namespace

std::string freshTemporaryPath() {
  std::error_code failure;
  std::filesystem::path folder = std::filesystem::temp_directory_path(failure);
  if (failure) folder = "/tmp";
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<size_t> letter(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    std::string name = "sqlite_";
    for (int i = 0; i < 15; ++i) name += kLetters[letter(random)];
    std::filesystem::path candidate = folder / name;
    if (!std::filesystem::exists(candidate, failure)) return candidate.string();
  }
  throw Error(SQLITE_CANTOPEN,
              "unable to open a temporary database file for storing temporary tables");
}

TemporaryDatabase::~TemporaryDatabase() {
  if (!btree_) return;
  btree_.reset();
  std::remove(path_.c_str());
  std::remove((path_ + "-journal").c_str());
}

Btree& TemporaryDatabase::open() {
  if (btree_) return *btree_;
  path_ = freshTemporaryPath();
  btree_ = Btree::open(path_, PagerOptions{});
  if (onOpened) onOpened(*btree_);
  return *btree_;
}

}  // namespace sqlite2
