#pragma once

// Runs SQL texts on an open connection the way orvalen-sql does: rows to the printer, and
// on failure "SQL error: <message>" on stderr.

#include "row_printer.h"
#include "sqlite.h"

namespace orvalen::tools {

// Runs sql with sqlite_exec; returns true when it succeeded.
bool runSql(sqlite* db, const char* sql, RowPrinter& printer);

}  // namespace orvalen::tools
