#include "interactive_shell.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "line_reader.h"
#include "statement_completeness.h"

namespace orvalen::tools {

namespace {

std::string historyFilePath() {
  const char* home = std::getenv("HOME");
  return home && *home ? std::string(home) + "/.orvalen_sql_history" : std::string();
}

bool isBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

bool isCommandLine(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t");
  return first != std::string::npos && line[first] == '.';
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

int runInteractiveShell(ShellSession& session, const std::string& file) {
  std::printf("orvalen-sql: SQLite %s database %s\nEnter \".help\" for the commands.\n",
              sqlite_libversion(), file.c_str());
  LineReader reader(historyFilePath());
  std::string pending;
  StatementScanner scanner;  // follows pending
  const ShellSettings& settings = session.settings();
  while (auto line = reader.readLine(pending.empty() ? settings.prompt.c_str()
                                                     : settings.continuationPrompt.c_str())) {
    if (session.settings().echo) session.echo(*line);
    if (scanner.betweenStatements() && isCommandLine(*line)) {
      // What is pending holds no statement, only blanks or comments.
      reader.addToHistory(*line);
      pending.clear();
      scanner.reset();
      if (session.runCommand(*line) == Outcome::kQuit) return 0;
      std::fflush(session.out());
      continue;
    }
    *line += '\n';
    pending += *line;
    scanner.feed(*line);
    if (!scanner.complete()) continue;
    reader.addToHistory(historyEntry(pending));
    session.runSql(pending.c_str());
    std::fflush(session.out());
    pending.clear();
    scanner.reset();
  }
  // End of input ends the prompt's line; what was typed without its ';' still runs.
  std::printf("\n");
  if (!isBlank(pending)) {
    reader.addToHistory(historyEntry(pending));
    session.runSql(pending.c_str());
  }
  return 0;
}

}  // namespace orvalen::tools
