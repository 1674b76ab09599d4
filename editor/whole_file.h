#pragma once

// A file read or written whole, by a UTF-8 path (on Windows too, where narrow paths are in the
// ANSI code page).

#include <optional>
#include <string>

namespace orvalen {

// The file's bytes; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& utf8Path);

}  // namespace orvalen
