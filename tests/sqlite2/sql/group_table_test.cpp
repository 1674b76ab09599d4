#include "sql/run/group_table.h"

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sql/values/group_key.h"

namespace sqlite2 {
namespace {

std::string keyOf(std::initializer_list<std::optional<std::string>> parts, bool asText = false) {
  std::string key;
  for (const std::optional<std::string>& part : parts) {
    appendGroupKey(key, part ? std::optional<std::string_view>(*part) : std::nullopt, asText);
  }
  return key;
}

// Keys of two parts that an order by summaries of their first part alone could get wrong:
// numbers on both sides of zero and of one another's bits, NULLs, and texts that share their
// first eight or sixteen bytes or differ only in high (GBK) bytes or trailing zero bytes.
std::vector<std::string> awkwardKeys() {
  const std::vector<std::optional<std::string>> firsts = {std::nullopt,
                                                          "-1e300",
                                                          "-2.5",
                                                          "-2",
                                                          "-0",
                                                          "0",
                                                          "1e-300",
                                                          "2",
                                                          "2.5",
                                                          "10",
                                                          "1e300",
                                                          "abc",
                                                          "abcdefgh",
                                                          "abcdefgh1",
                                                          "abcdefgh2",
                                                          "abcdefghijklmnop1",
                                                          "abcdefghijklmnop2",
                                                          "abcdefghijklmno",
                                                          "abcdefghijklmnp",
                                                          std::string("abcdefghijklmno\0", 16),
                                                          "abcdefg",
                                                          std::string("ab\0", 3),
                                                          "ab",
                                                          "\xb9\xa6\xb7\xf2 1",
                                                          "\xb9\xa6\xb7\xf2 2",
                                                          "\xd7\xdb\xd2\xd5",
                                                          "",
                                                          "x"};
  std::vector<std::string> keys;
  for (const auto& first : firsts) {
    for (const auto& second : {std::optional<std::string>("b"), std::optional<std::string>("3"),
                               std::optional<std::string>()}) {
      keys.push_back(keyOf({first, second}));
    }
  }
  return keys;
}

TEST(GroupTable, FindsEachKeysGroupAgainAcrossGrowth) {
  GroupTable groups(1, 1);
  std::vector<std::string> keys;
  for (int i = 0; i < 5000; ++i) keys.push_back(keyOf({"video " + std::to_string(i)}, true));
  bool isNew = false;
  for (size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(groups.find(keys[i], isNew), i);
    EXPECT_TRUE(isNew);
    groups.states(static_cast<uint32_t>(i))->count = static_cast<int64_t>(i);
  }
  for (size_t i = keys.size(); i-- > 0;) {
    ASSERT_EQ(groups.find(keys[i], isNew), i);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(groups.states(static_cast<uint32_t>(i))->count, static_cast<int64_t>(i));
  }
  EXPECT_EQ(groups.size(), keys.size());
  // The empty key (a query without GROUP BY) is a group like any other.
  EXPECT_EQ(groups.find("", isNew), keys.size());
  EXPECT_TRUE(isNew);
}

TEST(GroupTable, GivesGroupsInTheOrderOfTheirKeys) {
  std::vector<std::string> keys = awkwardKeys();
  std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
  GroupTable groups(0, 0);
  bool isNew = false;
  std::vector<std::string> keyOfGroup;  // -0 and 0 make one key
  for (const std::string& key : keys) {
    groups.find(key, isNew);
    if (isNew) keyOfGroup.push_back(key);
  }
  std::vector<std::string> expected = keyOfGroup;
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return compareGroupKeys(a, b) < 0; });
  std::vector<std::string> given;
  for (uint32_t group : groups.inKeyOrder()) given.push_back(keyOfGroup[group]);
  EXPECT_EQ(given, expected);
}

TEST(GroupKey, OrderPrefixNeverContradictsTheFullOrder) {
  const std::vector<std::string> keys = awkwardKeys();
  for (const std::string& a : keys) {
    for (const std::string& b : keys) {
      if (groupKeyOrderPrefix(a) < groupKeyOrderPrefix(b)) {
        EXPECT_LT(compareGroupKeys(a, b), 0)
            << testing::PrintToString(a) << " " << testing::PrintToString(b);
      }
    }
  }
  EXPECT_LT(compareGroupKeys(keyOf({"-2"}), keyOf({"10"})), 0);
  EXPECT_LT(compareGroupKeys(keyOf({"10"}), keyOf({"abc"})), 0);
  EXPECT_LT(compareGroupKeys(keyOf({std::nullopt}), keyOf({"-1e300"})), 0);
}

}  // namespace
}  // namespace sqlite2
