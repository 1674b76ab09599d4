#pragma once

// .import FILE TABLE: loads a CSV file (formats/csv_reader.h) into a table, as SQLite 3's shell does.
// When the table does not exist, the file's first record names its columns and it is made
// with a TEXT column for each; otherwise every record is a row. A record with too few fields
// is filled up with NULLs and one with too many loses the extra ones, each with a warning.
// Every field is stored as text, its bytes unchanged. The rows go in within one transaction
// (unless one is already open); a row that fails is reported with its line and skipped.

#include <cstdio>
#include <string>

#include "sqlite.h"

namespace orvalen::tools {

struct ImportRequest {
  std::string file;
  std::string table;
  std::string separator;  // one byte; "," for CSV
};

// Complaints go to err, as "FILE:LINE: ..." for those about one record. False when the file
// cannot be read, the table cannot be made, or a row failed.
bool importCsv(sqlite* db, const ImportRequest& request, std::FILE* err);

}  // namespace orvalen::tools
