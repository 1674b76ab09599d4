#pragma once

// Everything a caller can observe of one sqlite_exec or sqlite_get_table call, to compare
// two engines.

#include <optional>
#include <string>
#include <vector>

#include "engine_calls.h"

namespace orvalen::test {

using Cell = std::optional<std::string>;  // nullopt: SQL NULL

struct StatementOutcome {
  int rc = 0;
  std::optional<std::string> error;  // nullopt: no message
  // sqlite_exec: the column names each callback saw, then its values. sqlite_get_table: the
  // array as one names row and the data rows.
  std::vector<std::vector<std::string>> names;
  std::vector<std::vector<Cell>> rows;
  // sqlite_get_table only: whether the array came back NULL, and the counts it reported.
  bool resultArrayIsNull = false;
  int tableRows = -1;
  int tableColumns = -1;
  int changes = 0;
  int lastInsertRowid = 0;

  bool operator==(const StatementOutcome& other) const;
  bool operator!=(const StatementOutcome& other) const { return !(*this == other); }
  // A readable account for failure messages (long texts shortened).
  std::string describe() const;
};

StatementOutcome execOutcome(const EngineCalls& engine, void* db, const std::string& sql);
StatementOutcome getTableOutcome(const EngineCalls& engine, void* db, const std::string& sql);

}  // namespace orvalen::test
