#pragma once

// UTF-8 and UTF-16, for the wide-character calls of Windows (whose wchar_t is a UTF-16 unit).
// What is not well-formed in either becomes U+FFFD, as the system's own conversions make it.

#include <string>
#include <string_view>

namespace orvalen::text {

std::u16string utf16FromUtf8(std::string_view utf8);
std::string utf8FromUtf16(std::u16string_view utf16);

}  // namespace orvalen::text
