#pragma once

// The arguments the program was started with, after its own name, in UTF-8: argv as it came
// on POSIX systems (file names are bytes there, whatever the locale says); the wide command
// line on Windows, where argv would hold them in the ANSI code page and lose Chinese names.
// Each platform's file also holds the program's entry point, which keeps them.

#include <string>
#include <vector>

namespace orvalen::app {

const std::vector<std::string>& commandLineArguments();

}  // namespace orvalen::app
