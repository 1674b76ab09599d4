#include "record/numeric_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace sqlite2 {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Advances pos over one or more digits; false when there is none.
bool skipDigits(std::string_view text, size_t& pos) {
  size_t start = pos;
  while (pos < text.size() && isDigit(text[pos])) ++pos;
  return pos > start;
}

void skipSign(std::string_view text, size_t& pos) {
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
}

// The power of ten of the first significant digit of an unsigned number text, saturated; used
// only to tell overflow from underflow for values outside the double's range.
long decimalMagnitude(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && text[pos] == '0') ++pos;
  long magnitude = 0;
  size_t intStart = pos;
  while (pos < text.size() && isDigit(text[pos])) ++pos;
  if (pos > intStart) {
    magnitude = static_cast<long>(pos - intStart) - 1;
  } else if (pos < text.size() && text[pos] == '.') {
    size_t zeros = pos + 1;
    while (zeros < text.size() && text[zeros] == '0') ++zeros;
    magnitude = -static_cast<long>(zeros - pos);
  }
  size_t e = text.find_first_of("eE");
  if (e == std::string_view::npos) return magnitude;
  bool negative = e + 1 < text.size() && text[e + 1] == '-';
  long exponent = 0;
  for (size_t i = e + 1; i < text.size(); ++i) {
    if (isDigit(text[i]) && exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
  }
  return magnitude + (negative ? -exponent : exponent);
}

// A text of digits alone (after an optional minus), few enough that the double holds the
// value exactly: what from_chars would give, without its general parsing. Most numbers in a
// table are such row numbers and counts.
bool shortIntegerValue(std::string_view text, double& value) {
  constexpr size_t kExactDigits = 15;
  const bool negative = !text.empty() && text[0] == '-';
  const std::string_view digits = text.substr(negative ? 1 : 0);
  if (digits.empty() || digits.size() > kExactDigits) return false;
  int64_t number = 0;
  for (char c : digits) {
    if (!isDigit(c)) return false;
    number = number * 10 + (c - '0');
  }
  value = negative ? -static_cast<double>(number) : static_cast<double>(number);
  return true;
}

}  // namespace

bool looksLikeNumber(std::string_view text) {
  size_t pos = 0;
  skipSign(text, pos);
  if (!skipDigits(text, pos)) return false;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    if (!skipDigits(text, pos)) return false;
  }
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    skipSign(text, pos);
    if (!skipDigits(text, pos)) return false;
  }
  return pos == text.size();
}

double numericValue(std::string_view text) {
  // from_chars takes no leading '+' and is independent of the locale, unlike strtod.
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double value = 0;
  if (shortIntegerValue(text, value)) return value;
  std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Out of the double's range: overflow becomes infinity, underflow zero, keeping the sign.
    bool negative = !text.empty() && text[0] == '-';
    double magnitude = decimalMagnitude(negative ? text.substr(1) : text) > 0 ? HUGE_VAL : 0.0;
    return negative ? -magnitude : magnitude;
  }
  return value;
}

}  // namespace sqlite2
