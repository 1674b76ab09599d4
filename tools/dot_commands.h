#pragma once

// The interactive shell's own commands, typed on a line starting with '.':
// .tables, .schema [TABLE], .help, .quit (.exit).

#include <cstdio>
#include <string>

#include "sqlite.h"

namespace orvalen::tools {

enum class DotOutcome { kContinue, kQuit };

// Runs one command line; listings go to out, complaints to err.
DotOutcome runDotCommand(sqlite* db, const std::string& line, std::FILE* out, std::FILE* err);

}  // namespace orvalen::tools
