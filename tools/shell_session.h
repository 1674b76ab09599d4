#pragma once

// One run of orvalen-sql over an open database: its settings, where its rows go, and the
// running of SQL texts, scripts and dot commands. Rows go to the current output (standard
// output, or the file of .output); complaints always go to standard error.

#include <cstdio>
#include <string>
#include <string_view>

#include "row_printer.h"
#include "shell_settings.h"
#include "sqlite.h"

namespace orvalen::tools {

enum class Outcome {
  kDone,
  kFailed,  // reported on standard error
  kQuit,    // .quit or .exit
};

class ShellSession {
 public:
  // stopOnError: a failing statement or command ends a script (batch use); otherwise the
  // next one runs (a terminal, where the user sees each complaint).
  ShellSession(sqlite* db, const ShellSettings& settings, bool stopOnError);
  ~ShellSession();
  ShellSession(const ShellSession&) = delete;
  ShellSession& operator=(const ShellSession&) = delete;

  sqlite* db() const { return db_; }
  ShellSettings& settings() { return settings_; }
  std::FILE* out() const { return out_; }
  const std::string& outputName() const { return outputName_; }
  bool stopOnError() const { return stopOnError_; }

  // Sends rows to the file at path (created or emptied), or to standard output for
  // "stdout"; false when the file cannot be opened, leaving standard output.
  bool redirectOutput(const std::string& path);

  // Runs SQL with sqlite_exec, rows to the output; on failure "SQL error: <message>".
  Outcome runSql(const char* sql);

  // Runs a text of SQL and dot-command lines (standard input of a batch run, a file of
  // .read); the text ends at its first zero byte.
  Outcome runScript(const char* text);
  // The same for a text known to hold no command lines, which is then not looked through.
  Outcome runScriptWithoutCommands(const char* text);

  // Runs one dot-command line (dot_commands.cpp).
  Outcome runCommand(const std::string& line);

  // .read files read by .read files, and so on: a file that reads itself would otherwise
  // recurse until the stack runs out. False when another level would be too deep.
  bool enterRead();
  void leaveRead() { --readDepth_; }

  // Shows a line read when .echo is on.
  void echo(std::string_view line) const;

 private:
  Outcome runChunk(std::string_view sql);

  sqlite* db_;
  ShellSettings settings_;
  bool stopOnError_;
  std::FILE* out_ = stdout;
  std::string outputName_ = "stdout";
  RowPrinter printer_;
  int readDepth_ = 0;
};

}  // namespace orvalen::tools
