#pragma once

// How values compare in WHERE and ORDER BY: as text (byte by byte) when both sides of a
// comparison are text expressions, otherwise numerically: numbers by value, a number before
// anything that is not one, two non-numbers byte by byte.

#include <cstdint>
#include <string_view>

namespace sqlite2 {

// A value classified for numeric comparison, so that a constant is classified once.
struct NumericKey {
  enum class Kind : uint8_t { ShortInteger, Number, Other };
  Kind kind = Kind::Other;
  int64_t integer = 0;  // ShortInteger: digits few enough to be exact as a double
  std::string_view text;
};
NumericKey classifyNumeric(std::string_view text);

int compareAsText(std::string_view a, std::string_view b);
int compareNumerically(const NumericKey& a, const NumericKey& b);
inline int compareNumerically(std::string_view a, std::string_view b) {
  return compareNumerically(classifyNumeric(a), classifyNumeric(b));
}

inline int compareValues(std::string_view a, std::string_view b, bool asText) {
  return asText ? compareAsText(a, b) : compareNumerically(a, b);
}

}  // namespace sqlite2
