#pragma once

// Whether typed input ends with a whole SQL statement, so that the interactive shell knows
// when to run it.

#include <string_view>

namespace orvalen::tools {

// True when the text's last token, outside string literals, quoted names and comments, is a
// semicolon.
bool endsWithCompleteStatement(std::string_view text);

}  // namespace orvalen::tools
