#pragma once

// Changes to one table's rows, keeping its indexes current and its constraints enforced.
// Values are as stored: one per column, the INTEGER PRIMARY KEY's slot NULL (the row number
// is the key).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "btree/btree.h"
#include "record/row_record.h"
#include "record/value.h"
#include "sql/schema.h"
#include "sql/session.h"

namespace sqlite2 {

class TableWriter {
 public:
  TableWriter(Session& session, const Table& table);
  ~TableWriter();
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;

  // A row number for a new row: one above the largest, 1 in an empty table, and random
  // free numbers once the largest is 2147483647 (SQLITE_FULL when none is found).
  int32_t chooseRowNumber();

  // The checks, in the reference library's order: NOT NULL columns, then a given row number
  // already taken, then the unique indexes, newest first. self is the row an UPDATE rewrites,
  // which conflicts with nothing.
  void checkNotNull(const std::vector<Value>& values) const;
  void checkRowNumberFree(int32_t rowNumber);
  void checkUnique(int32_t rowNumber, const std::vector<Value>& values,
                   std::optional<int32_t> self);

  // The row's values, and its record in *record when asked.
  std::optional<std::vector<Value>> readRow(int32_t rowNumber, std::string* record = nullptr);
  // Writes the row (replacing one with the same number) and its index entries.
  void insertRow(int32_t rowNumber, const std::vector<Value>& values);
  void removeRow(int32_t rowNumber, const std::vector<Value>& values);
  void removeIndexEntries(int32_t rowNumber, const std::vector<Value>& values);

 private:
  std::vector<Value> indexedValues(const Index& index, int32_t rowNumber,
                                   const std::vector<Value>& values) const;
  std::string indexKey(const Index& index, int32_t rowNumber,
                       const std::vector<Value>& values) const;
  Cursor& indexCursor(size_t position);

  Session& session_;
  const Table& table_;
  std::unique_ptr<Cursor> tableCursor_;  // the session's, given back when done
  std::vector<std::unique_ptr<Cursor>> indexCursors_;
};

// The key of a row's entry in an index, from the row as stored (the INTEGER PRIMARY KEY
// column is indexed by the row number).
std::string indexKeyOfRow(const Table& table, const Index& index, int32_t rowNumber,
                          const RecordView& record);

// What an INTEGER PRIMARY KEY (or the row number) is given: an exact integer, or
// SQLITE_MISMATCH "datatype mismatch".
int32_t requireRowNumber(std::string_view text);

}  // namespace sqlite2
