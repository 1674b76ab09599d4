// orvalen-sql: a shell for SQLite 2 files over Orvalen's engine.
//
//   orvalen-sql [OPTIONS] FILE [SQL or .COMMAND ...]
//
// Each argument after the file runs in turn (one starting with '.' is a dot command, as in
// "orvalen-sql old.db .dump"), or standard input as a whole when there is none; rows print
// one a line, values joined by SEP in the default list mode. The first failing statement or
// command ends the run with status 1 ("SQL error: <message>" on stderr); a file that cannot
// be opened ends it with status 2. On a terminal with no SQL given it is an interactive
// shell.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "input_text.h"
#include "interactive_shell.h"
#include "shell_options.h"
#include "shell_session.h"
#include "sqlite.h"
#include "streamed_script.h"

namespace {

using orvalen::tools::Outcome;
using orvalen::tools::ShellOptions;
using orvalen::tools::ShellSession;

constexpr int kBusyTimeoutMs = 60000;

int exitStatus(Outcome outcome) {
  return outcome == Outcome::kFailed ? 1 : 0;
}

Outcome runArgument(ShellSession& session, const std::string& argument) {
  if (session.settings().echo) session.echo(argument);
  if (!argument.empty() && argument[0] == '.') return session.runCommand(argument);
  return session.runSql(argument.c_str());
}

int runBatch(ShellSession& session, const ShellOptions& options) {
  if (!options.statements.empty()) {
    for (const std::string& argument : options.statements) {
      const Outcome outcome = runArgument(session, argument);
      if (outcome != Outcome::kDone) return exitStatus(outcome);
    }
    return 0;
  }
  std::optional<Outcome> outcome;
  if (orvalen::tools::readsRegularFile(stdin)) {
    // Running part of a text that could not be read would report a half-done load as done.
    if (const auto input = orvalen::tools::InputText::read(stdin)) {
      outcome = session.runScript(input->c_str());
    }
  } else {
    outcome = orvalen::tools::runStreamedScript(session, fileno(stdin));
  }
  if (!outcome) {
    std::fprintf(stderr, "orvalen-sql: cannot read standard input: %s\n", std::strerror(errno));
    return 1;
  }
  return exitStatus(*outcome);
}

}  // namespace

int main(int argc, char** argv) {
  orvalen::tools::showUtf8OnConsole();
  const std::vector<std::string> arguments = orvalen::tools::utf8Arguments(argc, argv);
  std::vector<const char*> utf8Argv;
  for (const std::string& argument : arguments) utf8Argv.push_back(argument.c_str());
  ShellOptions options;
  std::string error;
  if (!orvalen::tools::parseShellOptions(static_cast<int>(utf8Argv.size()), utf8Argv.data(),
                                         &options, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  if (options.showVersion) {
    std::printf("%s\n", sqlite_libversion());
    return 0;
  }
  char* openError = nullptr;
  sqlite* db = sqlite_open(options.file.c_str(), 0, &openError);
  if (!db) {
    std::fprintf(stderr, "Unable to open database \"%s\": %s\n", options.file.c_str(),
                 openError ? openError : "");
    sqlite_freemem(openError);
    return 2;
  }
  sqlite_busy_timeout(db, kBusyTimeoutMs);
  const bool interactive = options.statements.empty() && isatty(STDIN_FILENO);
  int status = 0;
  {
    ShellSession session(db, options.settings, !interactive);
    status = interactive ? orvalen::tools::runInteractiveShell(session, options.file)
                         : runBatch(session, options);
  }
  sqlite_close(db);
  return status;
}
