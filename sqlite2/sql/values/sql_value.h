#pragma once

// A value while an expression is evaluated. Stored values are all text; arithmetic makes
// integers and reals, which keep the kind they were computed as because it decides how the
// next operator treats them (two integers make integer arithmetic, anything else real).

#include <cstdint>
#include <string>
#include <string_view>

namespace sqlite2 {

class SqlValue {
 public:
  enum class Kind : uint8_t { Null, Text, Integer, Real };

  SqlValue() = default;
  static SqlValue null() { return SqlValue(); }
  // Text held elsewhere that outlives the value (a row being read, a parsed statement).
  static SqlValue borrowedText(std::string_view text);
  static SqlValue ownedText(std::string text);
  static SqlValue integer(int32_t value);
  // An integer literal keeps its digits as written ("007" is stored as 007).
  static SqlValue integerLiteral(int32_t value, std::string_view written);
  static SqlValue integerWithText(int32_t value, std::string written);
  static SqlValue real(double value);
  // Makes this value the integer, as integer() would, reusing its own storage.
  void setInteger(int32_t value);

  SqlValue(const SqlValue& other) = default;
  SqlValue(SqlValue&& other) noexcept = default;
  SqlValue& operator=(const SqlValue& other) = default;
  SqlValue& operator=(SqlValue&& other) noexcept = default;

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  // The text of the value (what a result row and a stored record receive). Empty for NULL.
  std::string_view text() const { return owned_ ? std::string_view(ownedText_) : borrowed_; }

  // The value as a real: text is read from its start as far as it has the form of a number
  // (no leading space; "12abc" is 12, "abc" is 0).
  double toReal() const;
  // The value as an integer: text by its leading optional sign and digits (wrapping like a
  // 32-bit int), a real by truncation.
  int32_t toInteger() const;
  // For WHERE, AND, OR and NOT: not NULL and a non-zero integer.
  bool isTrue() const { return kind_ != Kind::Null && toInteger() != 0; }

 private:
  Kind kind_ = Kind::Null;
  bool owned_ = false;
  int32_t integer_ = 0;
  double real_ = 0;
  std::string_view borrowed_;
  std::string ownedText_;
};

// The reference library's text-to-number readings, shared with the row number rules.
double leadingReal(std::string_view text);
int32_t leadingInteger(std::string_view text);
// A double cut to a 32-bit int as the x86 instruction does it: out of range (or NaN) gives
// the lowest int.
int32_t truncateToInt32(double value);

// -value with 32-bit wrap-around (the lowest int stays itself) instead of an overflow.
inline int32_t wrappingNegate(int32_t value) {
  return static_cast<int32_t>(0u - static_cast<uint32_t>(value));
}

}  // namespace sqlite2
