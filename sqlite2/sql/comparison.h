#pragma once

// How values compare in WHERE and ORDER BY: as text (byte by byte) when both sides of a
// comparison are text expressions, otherwise numerically: numbers by value, a number before
// anything that is not one, two non-numbers byte by byte.

#include <string_view>

namespace sqlite2 {

int compareAsText(std::string_view a, std::string_view b);
int compareNumerically(std::string_view a, std::string_view b);

inline int compareValues(std::string_view a, std::string_view b, bool asText) {
  return asText ? compareAsText(a, b) : compareNumerically(a, b);
}

}  // namespace sqlite2
