#pragma once

// LIKE and GLOB matching as SQLite 2.8 does it on its UTF-8 texts.
//
// A character is a byte followed by the continuation bytes (0x80-0xBF) after it, so '_' and
// '?' take a whole UTF-8 character, and a text in another code page (GBK) is taken a byte or
// two at a time. A wildcard followed by an ordinary character looks for that byte anywhere
// further on, so '%好%' finds 好 in a GBK text wherever its bytes stand.
//
// LIKE: '%' any run, '_' one character, other bytes equal with ASCII letters in either case.
// GLOB: '*' any run, '?' one character, '[...]' one character in the set ('^' first negates,
// a ']' first or a '-' last stands for itself, a-z ranges compare code points), other bytes
// equal exactly.

#include <string_view>

namespace sqlite2 {

bool likeMatches(std::string_view pattern, std::string_view text);
bool globMatches(std::string_view pattern, std::string_view text);

}  // namespace sqlite2
