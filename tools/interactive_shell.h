#pragma once

// orvalen-sql on a terminal: a prompt, history, statements run when they end with ';', and
// the dot commands.

#include "shell_options.h"
#include "sqlite.h"

namespace orvalen::tools {

// Reads and runs until end of input or .quit; returns the exit status (0).
int runInteractiveShell(sqlite* db, const ShellOptions& options);

}  // namespace orvalen::tools
