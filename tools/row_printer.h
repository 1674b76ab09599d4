#pragma once

// Prints result rows in the shell's output modes (shell_settings.h), as SQLite 2.8's shell
// prints them; csv and tabs are as SQLite 3's shell has them. The column names come once
// before the first row of each run (each text handed to sqlite_exec), when headers are on.

#include <cstdio>
#include <vector>

#include "shell_settings.h"
#include "sqlite.h"

namespace orvalen::tools {

class RowPrinter {
 public:
  // settings is read at each row, so changes by dot commands take effect at once.
  RowPrinter(std::FILE* out, const ShellSettings& settings) : out_(out), settings_(settings) {}

  // Call before each run of statements: the header comes again before the run's first row,
  // and column mode takes its widths from that row.
  void startRun(std::FILE* out) {
    out_ = out;
    rowsInRun_ = 0;
  }

  // values is nullptr for a result without rows (the names alone).
  void printRow(int columnCount, const char* const* values, const char* const* names);

  // An sqlite_callback that prints through the RowPrinter given as arg.
  static int callback(void* printer, int columnCount, char** values, char** names);

 private:
  void printSeparated(int columnCount, const char* const* values, const char* const* names);
  void printLines(int columnCount, const char* const* values, const char* const* names);
  void printColumns(int columnCount, const char* const* values, const char* const* names);
  void printHtml(int columnCount, const char* const* values, const char* const* names);
  void printInsert(int columnCount, const char* const* values);
  void printCsv(int columnCount, const char* const* values, const char* const* names);

  void chooseColumnWidths(int columnCount, const char* const* values, const char* const* names);
  void printPadded(const char* text, int width, bool last);
  const char* shown(const char* value) const;

  std::FILE* out_;
  const ShellSettings& settings_;
  long rowsInRun_ = 0;
  std::vector<int> columnWidths_;  // column mode: the widths chosen at the run's first row
};

}  // namespace orvalen::tools
