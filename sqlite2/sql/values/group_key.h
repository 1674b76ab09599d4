#pragma once

// The key under which GROUP BY and DISTINCT gather values: equal keys for values that the
// reference library takes as one. Text expressions are one when their bytes are; numeric ones
// when both are numbers of the same value, or the same bytes; NULLs are one with each other.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sqlite2 {

// Appends one value's part to key (NULL as nullopt).
void appendGroupKey(std::string& key, std::optional<std::string_view> value, bool asText);

// Orders two keys made of the same terms as ORDER BY of those terms would: part by part, NULL
// first, numbers by value before other values, which go byte by byte.
int compareGroupKeys(std::string_view a, std::string_view b);

// A summary of a key's first part that keeps that order: a key whose summary is below
// another's comes first; equal summaries leave the order to compareGroupKeys.
struct GroupKeyPrefix {
  uint64_t high = 0, low = 0;
  bool operator<(const GroupKeyPrefix& other) const {
    return high != other.high ? high < other.high : low < other.low;
  }
  bool operator==(const GroupKeyPrefix& other) const {
    return high == other.high && low == other.low;
  }
};
GroupKeyPrefix groupKeyOrderPrefix(std::string_view key);

}  // namespace sqlite2
