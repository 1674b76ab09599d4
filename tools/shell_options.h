#pragma once

// The command line of orvalen-sql:
//   orvalen-sql [-header] [-nullvalue TEXT] [-separator SEP] FILE [SQL ...]
//   orvalen-sql -version

#include <string>
#include <vector>

namespace orvalen::tools {

struct ShellOptions {
  bool header = false;
  std::string nullValue;
  std::string separator = "|";
  bool showVersion = false;
  std::string file;
  std::vector<std::string> statements;  // the SQL arguments, run in turn
};

// Parses argv. On a mistake returns false with the message for stderr in *error.
bool parseShellOptions(int argc, const char* const* argv, ShellOptions* options,
                       std::string* error);

}  // namespace orvalen::tools
