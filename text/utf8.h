#pragma once

// UTF-8 one character at a time, as RFC 3629 has it: no overlong forms, no surrogates, nothing
// above U+10FFFF.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvalen::text {

// The length of the well-formed UTF-8 character at the start of text (1 to 4), or 0 when the
// text does not start with one (or is empty).
std::size_t utf8CharacterLength(std::string_view text);

// The code point of the well-formed character at the start of text, which must have one.
char32_t firstCodePoint(std::string_view text);

// A character's code point as "U+4E2D" (at least four hexadecimal digits), or "" when
// utf8Character is not exactly one well-formed UTF-8 character.
std::string codePointName(std::string_view utf8Character);

// The text with every byte that does not belong to a well-formed character replaced by
// U+FFFD.
std::string withInvalidUtf8Replaced(std::string_view bytes);

// The UTF-8 form of a code point (U+FFFD for a surrogate or one past U+10FFFF), appended.
void appendUtf8(char32_t codePoint, std::string& out);

}  // namespace orvalen::text
