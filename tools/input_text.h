#pragma once

// Reads the SQL text of a batch run (standard input, or a file) in large blocks.

#include <cstdio>
#include <optional>
#include <string>

namespace orvalen::tools {

// Everything left in the stream, up to (not including) its first zero byte: the library
// reads a text only that far. nullopt when reading fails.
std::optional<std::string> readWholeText(std::FILE* in);

}  // namespace orvalen::tools
