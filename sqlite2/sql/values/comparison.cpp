#include "sql/values/comparison.h"

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

NumericKey classifyNumeric(std::string_view text) {
  NumericKey key;
  key.text = text;
  if (readShortInteger(text, key.integer)) {
    key.kind = NumericKey::Kind::ShortInteger;
  } else if (looksLikeNumber(text)) {
    key.kind = NumericKey::Kind::Number;
  }
  return key;
}

int compareNumerically(const NumericKey& a, const NumericKey& b) {
  using Kind = NumericKey::Kind;
  if (a.kind == Kind::ShortInteger && b.kind == Kind::ShortInteger) {
    return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
  }
  bool aIsNumber = a.kind != Kind::Other;
  bool bIsNumber = b.kind != Kind::Other;
  if (aIsNumber && bIsNumber) {
    double left =
        a.kind == Kind::ShortInteger ? static_cast<double>(a.integer) : numericValue(a.text);
    double right =
        b.kind == Kind::ShortInteger ? static_cast<double>(b.integer) : numericValue(b.text);
    return left < right ? -1 : (left > right ? 1 : 0);
  }
  if (aIsNumber) return -1;
  if (bIsNumber) return 1;
  return compareAsText(a.text, b.text);
}

}  // namespace sqlite2
