#pragma once

// .dump: the database as SQL text that rebuilds it, in SQLite 2.8's shell's layout:
//
//   BEGIN TRANSACTION;
//   CREATE TABLE t(...);            each table, then its rows
//   INSERT INTO t VALUES(1,'a');
//   CREATE VIEW / INDEX / TRIGGER   after every table, each group by name
//   COMMIT;
//
// Values are written as writeSqlValue writes them, so the text loads into SQLite 2.8 and
// SQLite 3 alike with every value's bytes kept.

#include <cstdio>
#include <string>
#include <vector>

#include "sqlite.h"

namespace orvalen::tools {

// Dumps every table, view, index and trigger, or, with patterns, those whose table's name
// is LIKE one of them (pattern by pattern). On a failure the text stops without COMMIT, so
// that loading it changes nothing, and false comes back with *error set.
bool dumpDatabase(sqlite* db, const std::vector<std::string>& tablePatterns, std::FILE* out,
                  std::string* error);

}  // namespace orvalen::tools
