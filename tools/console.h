#pragma once

// The shell's arguments and console. Names and SQL are UTF-8 inside the program.

#include <string>
#include <vector>

namespace orvalen::tools {

// The arguments as UTF-8: argv itself on POSIX systems; on Windows they come from the wide
// command line, since argv holds them in the ANSI code page, where Chinese file names are lost.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// Makes a console that shows the output take it as UTF-8 (Windows); elsewhere nothing to do.
void showUtf8OnConsole();

}  // namespace orvalen::tools
