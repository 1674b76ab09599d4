#pragma once

#include <string_view>

namespace sqlite2 {

// Whether the whole text is a number the engine compares numerically: an optional sign, one or
// more digits, optionally '.' and one or more digits, optionally 'e' or 'E', an optional sign
// and one or more digits. No spaces anywhere.
bool looksLikeNumber(std::string_view text);

// The value of text that looksLikeNumber accepted, correctly rounded to a double.
double numericValue(std::string_view text);

}  // namespace sqlite2
