#pragma once

// orvalen-sql on a terminal: a prompt, history, statements run when they end with ';', and
// the dot commands.

#include <string>

#include "shell_session.h"

namespace orvalen::tools {

// Reads and runs until end of input or .quit; returns the exit status (0).
int runInteractiveShell(ShellSession& session, const std::string& file);

}  // namespace orvalen::tools
