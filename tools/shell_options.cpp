#include "shell_options.h"

#include <cstring>

namespace orvalen::tools {

namespace {

constexpr const char* kUsage =
    "usage: orvalen-sql [-header] [-nullvalue TEXT] [-separator SEP] FILE [SQL ...]";

}  // namespace

bool parseShellOptions(int argc, const char* const* argv, ShellOptions* options,
                       std::string* error) {
  int i = 1;
  // Options run up to the first argument not starting with '-', which is the file.
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const char* option = argv[i];
    if (std::strcmp(option, "-header") == 0) {
      options->header = true;
    } else if (std::strcmp(option, "-nullvalue") == 0 && i + 1 < argc) {
      options->nullValue = argv[++i];
    } else if (std::strcmp(option, "-separator") == 0 && i + 1 < argc) {
      options->separator = argv[++i];
    } else if (std::strcmp(option, "-version") == 0) {
      options->showVersion = true;
      return true;
    } else {
      *error = std::string("unknown option ") + option;
      return false;
    }
  }
  if (i >= argc) {
    *error = kUsage;
    return false;
  }
  options->file = argv[i];
  for (++i; i < argc; ++i) options->statements.push_back(argv[i]);
  return true;
}

}  // namespace orvalen::tools
