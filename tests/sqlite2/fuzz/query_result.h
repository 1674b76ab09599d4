#pragma once

// A query's whole result, copied out of sqlite_get_table's array (which is freed at once), for
// the fuzz targets.

#include <string>
#include <vector>

#include "sqlite.h"

namespace orvalen::test {

struct QueryResult {
  int code = SQLITE_OK;
  std::string error;
  std::vector<std::string> columns;            // the header row
  std::vector<std::vector<std::string>> rows;  // NULL as ""
};

inline QueryResult query(sqlite* db, const std::string& sql) {
  char** table = nullptr;
  char* error = nullptr;
  int rowCount = 0;
  int columnCount = 0;
  QueryResult result;
  result.code = sqlite_get_table(db, sql.c_str(), &table, &rowCount, &columnCount, &error);
  if (result.code == SQLITE_OK) {
    const auto text = [table](int i) { return std::string(table[i] ? table[i] : ""); };
    for (int column = 0; column < columnCount; ++column) result.columns.push_back(text(column));
    for (int row = 1; row <= rowCount; ++row) {
      result.rows.emplace_back();
      for (int column = 0; column < columnCount; ++column) {
        result.rows.back().push_back(text(row * columnCount + column));
      }
    }
  }
  if (error) result.error = error;
  sqlite_free_table(table);
  sqlite_freemem(error);
  return result;
}

}  // namespace orvalen::test
