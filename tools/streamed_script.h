#pragma once

// A batch run's standard input when it is not a regular file (a pipe): each piece runs as soon
// as it holds whole statements and command lines, so that the run keeps pace with the program
// writing the pipe (sqlite3 x.db .dump | orvalen-sql y.vdb) instead of waiting for its end.
// Pieces are cut only where runScript() would find no statement open, so the outcome is the
// same as running the whole text at once. After a failure that ends the run, or .quit, the
// rest of the input is still read to its end, so that the writer is never cut off.

#include <optional>

#include "shell_session.h"

namespace orvalen::tools {

// Runs the script read from the descriptor; nullopt when reading fails (errno says why), which
// may come after some of it ran.
std::optional<Outcome> runStreamedScript(ShellSession& session, int descriptor);

}  // namespace orvalen::tools
