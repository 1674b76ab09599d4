#include "shell_options.h"

#include <cstring>

namespace orvalen::tools {

const char* const kUsage =
    "usage: orvalen-sql [-header] [-nullvalue TEXT] [-separator SEP] "
    "[-list|-line|-column|-html|-csv] [-echo] FILE [SQL ...]";

namespace {

// An option that is one word; false when option is none of them.
bool applySwitch(const char* option, ShellSettings* settings) {
  constexpr const char* kModeOptions[] = {"-list", "-line", "-column", "-html", "-csv"};
  for (const char* mode : kModeOptions) {
    if (std::strcmp(option, mode) == 0) return selectMode(option + 1, settings);
  }
  if (std::strcmp(option, "-header") == 0 || std::strcmp(option, "-noheader") == 0) {
    settings->header = option[1] == 'h';
    return true;
  }
  if (std::strcmp(option, "-echo") == 0) {
    settings->echo = true;
    return true;
  }
  return false;
}

}  // namespace

bool parseShellOptions(int argc, const char* const* argv, ShellOptions* options,
                       std::string* error) {
  int i = 1;
  // Options run up to the first argument not starting with '-', which is the file.
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const char* option = argv[i];
    if (applySwitch(option, &options->settings)) continue;
    if (std::strcmp(option, "-nullvalue") == 0 && i + 1 < argc) {
      options->settings.nullValue = argv[++i];
    } else if (std::strcmp(option, "-separator") == 0 && i + 1 < argc) {
      options->settings.separator = argv[++i];
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
