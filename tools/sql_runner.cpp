#include "sql_runner.h"

#include <cstdio>

namespace orvalen::tools {

bool runSql(sqlite* db, const char* sql, RowPrinter& printer) {
  char* error = nullptr;
  printer.startRun();
  const int rc = sqlite_exec(db, sql, RowPrinter::callback, &printer, &error);
  if (rc == SQLITE_OK) return true;
  // Rows already printed come before the message when both go to one terminal.
  std::fflush(stdout);
  std::fprintf(stderr, "SQL error: %s\n", error ? error : sqlite_error_string(rc));
  sqlite_freemem(error);
  return false;
}

}  // namespace orvalen::tools
