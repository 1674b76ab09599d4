#pragma once

// The command line of orvalen-sql:
//   orvalen-sql [OPTIONS] FILE [SQL or .COMMAND ...]
//   orvalen-sql -version
// OPTIONS: -header, -noheader, -nullvalue TEXT, -separator SEP, -echo, and the output modes
// -list, -line, -column, -html, -csv.

#include <string>
#include <vector>

#include "shell_settings.h"

namespace orvalen::tools {

struct ShellOptions {
  ShellSettings settings;
  bool showVersion = false;
  std::string file;
  std::vector<std::string> statements;  // SQL texts and dot commands, run in turn
};

extern const char* const kUsage;

// Parses argv. On a mistake returns false with the message for stderr in *error.
bool parseShellOptions(int argc, const char* const* argv, ShellOptions* options,
                       std::string* error);

}  // namespace orvalen::tools
