#include "sql/values/sql_value.h"

#include <charconv>
#include <cmath>

#include "common/text_format.h"
#include "record/numeric_text.h"

namespace sqlite2 {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The length of the longest prefix of text that has the form of a number: optional sign,
// digits with an optional fraction (".5" and "5." count), optional exponent.
size_t numberPrefixLength(std::string_view text) {
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  size_t digits = 0;
  while (pos < text.size() && isDigit(text[pos])) ++pos, ++digits;
  if (pos < text.size() && text[pos] == '.') {
    size_t fraction = pos + 1;
    while (fraction < text.size() && isDigit(text[fraction])) ++fraction;
    digits += fraction - pos - 1;
    if (digits > 0) pos = fraction;
  }
  if (digits == 0) return 0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    size_t exponent = pos + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    size_t start = exponent;
    while (exponent < text.size() && isDigit(text[exponent])) ++exponent;
    if (exponent > start) pos = exponent;
  }
  return pos;
}

}  // namespace

double leadingReal(std::string_view text) {
  size_t length = numberPrefixLength(text);
  if (length == 0) return 0.0;
  std::string_view number = text.substr(0, length);
  // "5." and ".5" are numbers here but not for the shared parser: complete them.
  std::string completed;
  if (number.back() == '.' || number.find('.') != std::string_view::npos) {
    completed = std::string(number);
    size_t dot = completed.find('.');
    if (dot != std::string::npos) {
      if (dot + 1 >= completed.size() || !isDigit(completed[dot + 1]))
        completed.insert(dot + 1, "0");
      if (dot == 0 || !isDigit(completed[dot - 1])) completed.insert(dot, "0");
    }
    number = completed;
  }
  return numericValue(number);
}

int32_t leadingInteger(std::string_view text) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  uint32_t value = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    value = value * 10u + static_cast<uint32_t>(text[pos++] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

int32_t truncateToInt32(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(value);
}

SqlValue SqlValue::borrowedText(std::string_view text) {
  SqlValue value;
  value.kind_ = Kind::Text;
  value.borrowed_ = text;
  return value;
}

SqlValue SqlValue::ownedText(std::string text) {
  SqlValue value;
  value.kind_ = Kind::Text;
  value.owned_ = true;
  value.ownedText_ = std::move(text);
  return value;
}

SqlValue SqlValue::integer(int32_t number) {
  SqlValue value;
  value.setInteger(number);
  return value;
}

void SqlValue::setInteger(int32_t number) {
  kind_ = Kind::Integer;
  integer_ = number;
  owned_ = true;
  char digits[16];
  std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
  ownedText_.assign(digits, end.ptr);
}

SqlValue SqlValue::integerLiteral(int32_t number, std::string_view written) {
  SqlValue value;
  value.kind_ = Kind::Integer;
  value.integer_ = number;
  value.borrowed_ = written;
  return value;
}

SqlValue SqlValue::integerWithText(int32_t number, std::string written) {
  SqlValue value;
  value.kind_ = Kind::Integer;
  value.integer_ = number;
  value.owned_ = true;
  value.ownedText_ = std::move(written);
  return value;
}

SqlValue SqlValue::real(double number) {
  SqlValue value;
  value.kind_ = Kind::Real;
  value.real_ = number;
  value.owned_ = true;
  value.ownedText_ = formatReal(number);
  return value;
}

double SqlValue::toReal() const {
  switch (kind_) {
    case Kind::Null:
      return 0.0;
    case Kind::Integer:
      return integer_;
    case Kind::Real:
      return real_;
    case Kind::Text:
      break;
  }
  return leadingReal(text());
}

int32_t SqlValue::toInteger() const {
  switch (kind_) {
    case Kind::Null:
      return 0;
    case Kind::Integer:
      return integer_;
    case Kind::Real:
      return truncateToInt32(real_);
    case Kind::Text:
      break;
  }
  return leadingInteger(text());
}

}  // namespace sqlite2
