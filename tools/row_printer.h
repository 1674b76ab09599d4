#pragma once

// Prints result rows as orvalen-sql shows them: values joined by the separator, NULL as the
// null text, one row a line, and with -header the column names once before the first row.

#include <cstdio>
#include <string>

#include "sqlite.h"

namespace orvalen::tools {

class RowPrinter {
 public:
  RowPrinter(std::FILE* out, bool header, std::string separator, std::string nullValue)
      : out_(out),
        header_(header),
        separator_(std::move(separator)),
        nullValue_(std::move(nullValue)) {}

  // Call before each run of statements: the header comes again before the run's first row.
  void startRun() { headerDone_ = false; }

  void printRow(int columnCount, const char* const* values, const char* const* names);

  // An sqlite_callback that prints through the RowPrinter given as arg.
  static int callback(void* printer, int columnCount, char** values, char** names);

 private:
  void printLine(int columnCount, const char* const* cells, bool isHeader);

  std::FILE* out_;
  bool header_;
  std::string separator_;
  std::string nullValue_;
  bool headerDone_ = false;
};

}  // namespace orvalen::tools
