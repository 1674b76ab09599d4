#include "record/table_key.h"

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {
namespace {

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

TEST(TableKey, EncodesRowNumbersAsDocumented) {
  EXPECT_EQ(hex(encodeTableKey(1)), "80000001");
  EXPECT_EQ(hex(encodeTableKey(0)), "80000000");
  EXPECT_EQ(hex(encodeTableKey(-3)), "7FFFFFFD");
  EXPECT_EQ(hex(encodeTableKey(INT32_MAX)), "FFFFFFFF");
  EXPECT_EQ(hex(encodeTableKey(INT32_MIN)), "00000000");
}

TEST(TableKey, RoundTripsAndSortsLikeTheNumbers) {
  std::mt19937 random(7);
  std::vector<int32_t> numbers = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX};
  for (int i = 0; i < 1000; ++i) numbers.push_back(static_cast<int32_t>(random()));
  std::vector<std::string> keys;
  for (int32_t n : numbers) {
    keys.push_back(encodeTableKey(n));
    EXPECT_EQ(decodeTableKey(keys.back()), n);
  }
  std::vector<size_t> byKey(numbers.size());
  for (size_t i = 0; i < byKey.size(); ++i) byKey[i] = i;
  std::sort(byKey.begin(), byKey.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
  for (size_t i = 1; i < byKey.size(); ++i) {
    EXPECT_LE(numbers[byKey[i - 1]], numbers[byKey[i]]);
  }
}

TEST(TableKey, RejectsKeysOfTheWrongSize) {
  EXPECT_THROW(decodeTableKey("abc"), Error);
  EXPECT_THROW(decodeTableKey("abcde"), Error);
  EXPECT_THROW(trailingRowNumber("ab"), Error);
  EXPECT_EQ(trailingRowNumber("c5\0" + encodeTableKey(-9)), -9);
}

}  // namespace
}  // namespace sqlite2
