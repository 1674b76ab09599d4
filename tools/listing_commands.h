#pragma once

// The dot commands that list the schema, laid out as SQLite 2.8's shell lays them out.

#include <cstdio>
#include <string>

#include "sqlite.h"

namespace orvalen::tools {

// .tables [PATTERN]: the tables and views whose names hold PATTERN (a LIKE pattern), by
// name, in as many columns as fit 80 characters, filled column by column.
bool listTables(sqlite* db, const std::string* pattern, std::FILE* out, std::string* error);

// .schema [TABLE]: every CREATE statement, tables first; or those of the tables LIKE TABLE
// with their indexes, triggers and views. Each ends with ';'.
bool showSchema(sqlite* db, const std::string* table, std::FILE* out, std::string* error);

// .indices [TABLE]: the names of the indexes on the tables LIKE TABLE (all without one),
// the automatic ones of UNIQUE and PRIMARY KEY included.
bool listIndices(sqlite* db, const std::string* table, std::FILE* out, std::string* error);

}  // namespace orvalen::tools
