// ShellSession::runScript: a text of SQL with dot-command lines among its statements.
//
// A line is a command when it starts with '.' (after blanks) between statements. The SQL
// between two commands runs as one text, as a batch without commands runs its whole input
// at once: a load of a large dump is then one pass of the engine over a mapped file. With
// .echo on, each line is shown as it is read and each statement runs as its line completes
// it, so that output follows the line that caused it.
#include <cstring>

#include "shell_session.h"
#include "statement_completeness.h"

namespace orvalen::tools {

namespace {

size_t firstNonBlank(std::string_view line) {
  const size_t at = line.find_first_not_of(" \t");
  return at == std::string_view::npos ? line.size() : at;
}

bool startsWithDot(std::string_view line) {
  const size_t at = firstNonBlank(line);
  return at < line.size() && line[at] == '.';
}

// Whether any line of the text could be a command: if none, the text is SQL alone.
bool mayHoldCommands(std::string_view text) {
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    const std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (startsWithDot(line)) return true;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return false;
}

bool isBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string_view withoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

Outcome ShellSession::runChunk(std::string_view sql) {
  if (isBlank(sql)) return Outcome::kDone;
  return runSql(std::string(sql).c_str());
}

Outcome ShellSession::runScriptWithoutCommands(const char* text) {
  return settings_.echo ? runScript(text) : runSql(text);
}

Outcome ShellSession::runScript(const char* text) {
  const std::string_view all(text);
  if (!settings_.echo && !mayHoldCommands(all)) return runSql(text);
  bool failed = false;
  StatementScanner scanner;
  size_t chunkStart = 0;
  for (size_t lineStart = 0; lineStart < all.size();) {
    const size_t newline = all.find('\n', lineStart);
    const size_t lineEnd = newline == std::string_view::npos ? all.size() : newline + 1;
    const std::string_view line = all.substr(lineStart, lineEnd - lineStart);
    if (settings_.echo) echo(withoutLineEnd(line));
    Outcome outcome = Outcome::kDone;
    if (scanner.betweenStatements() && startsWithDot(line)) {
      // The SQL before the command runs first; when it fails, whether the command still runs
      // is the same question as whether the next statement would.
      outcome = runChunk(all.substr(chunkStart, lineStart - chunkStart));
      if (outcome == Outcome::kFailed && stopOnError_) return outcome;
      failed = failed || outcome == Outcome::kFailed;
      outcome = runCommand(std::string(withoutLineEnd(line)));
      chunkStart = lineEnd;
      scanner.reset();
    } else {
      scanner.feed(line);
      if (settings_.echo && scanner.betweenStatements()) {
        outcome = runChunk(all.substr(chunkStart, lineEnd - chunkStart));
        chunkStart = lineEnd;
      }
    }
    if (outcome == Outcome::kQuit) return outcome;
    if (outcome == Outcome::kFailed) {
      if (stopOnError_) return outcome;
      failed = true;
    }
    lineStart = lineEnd;
  }
  const Outcome last = runChunk(all.substr(chunkStart));
  return failed && last == Outcome::kDone ? Outcome::kFailed : last;
}

}  // namespace orvalen::tools
