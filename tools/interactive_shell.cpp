#include "interactive_shell.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dot_commands.h"
#include "line_reader.h"
#include "row_printer.h"
#include "sql_runner.h"
#include "statement_completeness.h"

namespace orvalen::tools {

namespace {

constexpr const char* kPrompt = "orvalen-sql> ";
constexpr const char* kContinuationPrompt = "       ...> ";

std::string historyFilePath() {
  const char* home = std::getenv("HOME");
  return home && *home ? std::string(home) + "/.orvalen_sql_history" : std::string();
}

bool isBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// The statement as one history line.
std::string historyEntry(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

}  // namespace

int runInteractiveShell(sqlite* db, const ShellOptions& options) {
  std::printf("orvalen-sql: SQLite %s database %s\nEnter \".help\" for the commands.\n",
              sqlite_libversion(), options.file.c_str());
  LineReader reader(historyFilePath());
  RowPrinter printer(stdout, options.header, options.separator, options.nullValue);
  std::string pending;
  while (auto line = reader.readLine(pending.empty() ? kPrompt : kContinuationPrompt)) {
    if (isBlank(pending) && line->find_first_not_of(" \t") != std::string::npos &&
        (*line)[line->find_first_not_of(" \t")] == '.') {
      reader.addToHistory(*line);
      pending.clear();
      if (runDotCommand(db, *line, stdout, stderr) == DotOutcome::kQuit) return 0;
      std::fflush(stdout);
      continue;
    }
    pending += *line;
    pending += '\n';
    if (!endsWithCompleteStatement(pending)) continue;
    reader.addToHistory(historyEntry(pending));
    runSql(db, pending.c_str(), printer);
    std::fflush(stdout);
    pending.clear();
  }
  // End of input ends the prompt's line; what was typed without its ';' still runs.
  std::printf("\n");
  if (!isBlank(pending)) {
    reader.addToHistory(historyEntry(pending));
    runSql(db, pending.c_str(), printer);
  }
  return 0;
}

}  // namespace orvalen::tools
