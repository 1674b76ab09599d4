#include "sql/comparison.h"

#include <cstdint>
#include <cstring>

#include "record/numeric_text.h"

namespace sqlite2 {

namespace {

// Digits with an optional minus sign, short enough that the value is exact as a double:
// compared as integers, which is what comparing the doubles would give, only faster.
bool readShortInteger(std::string_view text, int64_t& value) {
  size_t pos = 0;
  bool negative = false;
  if (!text.empty() && text[0] == '-') {
    negative = true;
    pos = 1;
  }
  size_t digits = text.size() - pos;
  if (digits == 0 || digits > 15) return false;
  int64_t result = 0;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  value = negative ? -result : result;
  return true;
}

}  // namespace

int compareAsText(std::string_view a, std::string_view b) {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  int order = common ? std::memcmp(a.data(), b.data(), common) : 0;
  if (order != 0) return order < 0 ? -1 : 1;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int compareNumerically(std::string_view a, std::string_view b) {
  int64_t shortLeft, shortRight;
  if (readShortInteger(a, shortLeft) && readShortInteger(b, shortRight)) {
    return shortLeft < shortRight ? -1 : (shortLeft > shortRight ? 1 : 0);
  }
  bool aIsNumber = looksLikeNumber(a);
  bool bIsNumber = looksLikeNumber(b);
  if (aIsNumber && bIsNumber) {
    double left = numericValue(a), right = numericValue(b);
    return left < right ? -1 : (left > right ? 1 : 0);
  }
  if (aIsNumber) return -1;
  if (bIsNumber) return 1;
  return compareAsText(a, b);
}

}  // namespace sqlite2
