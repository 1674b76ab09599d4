#pragma once

#include <string_view>

namespace orvalen::formats {

// The text without the spaces, tabs and line-end characters around it. Only ASCII white space
// is trimmed: a byte above 0x7F may be part of a character in any of the encodings read.
std::string_view trimmedText(std::string_view text);

}  // namespace orvalen::formats
