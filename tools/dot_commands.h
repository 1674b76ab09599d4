#pragma once

// The shell's own commands, typed on a line that starts with '.': the layout of
// ShellSession::runCommand's input and the words it is split into.

#include <string>
#include <vector>

namespace orvalen::tools {

// Splits a command line into words at blanks; a word in single or double quotes runs to the
// closing quote and may hold blanks. The first word is the command with its '.'.
std::vector<std::string> commandWords(const std::string& line);

// Turns the escapes \t \n \r \\ \" \' and \NNN (octal) into the bytes they stand for, so
// that ".separator \t" sets a tab.
std::string resolveEscapes(const std::string& text);

}  // namespace orvalen::tools
