// orvalen-sql: a shell for SQLite 2 files over Orvalen's engine.
//
//   orvalen-sql [-header] [-nullvalue TEXT] [-separator SEP] FILE [SQL ...]
//
// Each SQL argument runs in turn, or standard input as a whole when there is none; rows print
// one a line, values joined by SEP. The first failing SQL prints "SQL error: <message>" on
// stderr and ends with status 1; a file that cannot be opened ends with status 2. On a
// terminal with no SQL given it is an interactive shell.
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
#include "row_printer.h"
#include "shell_options.h"
#include "sql_runner.h"
#include "sqlite.h"

namespace {

using orvalen::tools::ShellOptions;

constexpr int kBusyTimeoutMs = 60000;

int runBatch(sqlite* db, const ShellOptions& options) {
  orvalen::tools::RowPrinter printer(stdout, options.header, options.separator, options.nullValue);
  if (!options.statements.empty()) {
    for (const std::string& sql : options.statements) {
      if (!orvalen::tools::runSql(db, sql.c_str(), printer)) return 1;
    }
    return 0;
  }
  const std::optional<orvalen::tools::InputText> input = orvalen::tools::InputText::read(stdin);
  if (!input) {
    // Running part of a text that could not be read would report a half-done load as done.
    std::fprintf(stderr, "orvalen-sql: cannot read standard input: %s\n", std::strerror(errno));
    return 1;
  }
  return orvalen::tools::runSql(db, input->c_str(), printer) ? 0 : 1;
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
  const int status =
      interactive ? orvalen::tools::runInteractiveShell(db, options) : runBatch(db, options);
  sqlite_close(db);
  return status;
}
