#pragma once

// One UTF-8 character at a time, for messages that name the character a text cannot keep.

#include <cstddef>
#include <string>
#include <string_view>

// The length of the well-formed UTF-8 character at the start of text (1 to 4), or 0 when the
// text does not start with one (or is empty).
std::size_t utf8CharacterLength(std::string_view text);

// A character's code point as "U+4E2D" (at least four hexadecimal digits), or "" when
// utf8Character is not exactly one well-formed UTF-8 character.
std::string codePointName(std::string_view utf8Character);
