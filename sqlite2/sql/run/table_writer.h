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
#include "sql/run/session.h"
#include "sql/schema/schema.h"
#include "sql/values/sql_value.h"

namespace sqlite2 {

class TableWriter {
 public:
  // onConflict: the statement's OR choice, which overrides the constraints' own ON CONFLICT
  // choices (Default: none given).
  TableWriter(Session& session, const Table& table,
              ConflictAction onConflict = ConflictAction::Default);
  ~TableWriter();
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;

  // A row number for a new row: one above the largest, 1 in an empty table, and random
  // free numbers once the largest is 2147483647 (SQLITE_FULL when none is found).
  int32_t chooseRowNumber();
  // Makes the next choice look at the table again: a trigger may have added rows to it.
  void forgetNextRowNumber() {
    nextRowNumber_.reset();
    passedByGivenNumber_ = false;
  }

  // The checks, in the reference library's order: NOT NULL columns, then a given row number
  // already taken, then the unique indexes, newest first. self is the row an UPDATE rewrites,
  // which conflicts with nothing. A conflict is resolved as its constraint (or the statement)
  // asks: IGNORE makes the check return false (the row is to be left alone), REPLACE puts a
  // NOT NULL column's default in place of NULL (or fails when the default is NULL too) and
  // deletes a row in the way; ROLLBACK, ABORT and FAIL throw SQLITE_CONSTRAINT (and say so in
  // the session's conflictFailure).
  bool checkNotNull(std::vector<Value>& values);
  bool checkRowNumberFree(int32_t rowNumber);
  bool checkUnique(int32_t rowNumber, const std::vector<Value>& values,
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
  ConflictAction resolve(ConflictAction constraint) const;
  [[noreturn]] void fail(ConflictAction action, int code, const std::string& message) const;
  // The rows other than self that have the index key's values.
  std::vector<int32_t> conflictingRows(size_t position, const std::string& key,
                                       std::optional<int32_t> self);
  void deleteRow(int32_t rowNumber);

  Session& session_;
  const Table& table_;
  ConflictAction onConflict_;
  std::vector<int32_t> replaced_;  // rows REPLACE removes once every check has passed
  // The number after the last one chosen for this statement: the next choice, as in the
  // reference library, whether or not a row took the last one (IGNORE may leave it unused).
  std::optional<int64_t> nextRowNumber_;
  bool passedByGivenNumber_ = false;     // a row was given a number at or past the next choice
  std::unique_ptr<Cursor> tableCursor_;  // the session's, given back when done
  std::vector<std::unique_ptr<Cursor>> indexCursors_;
};

// The key of a row's entry in an index, from the row as stored (the INTEGER PRIMARY KEY
// column is indexed by the row number).
std::string indexKeyOfRow(const Table& table, const Index& index, int32_t rowNumber,
                          const RecordView& record);

// Inserts a row of a value for each column, as INSERT INTO t VALUES(...) does (the INTEGER
// PRIMARY KEY's value is the row number), counting it in the session's changes. Does nothing
// when a conflict is to be ignored.
void insertValuesOfAllColumns(Session& session, TableWriter& writer, const Table& table,
                              std::vector<SqlValue>& values);

// Fills the index at indexRoot from the rows of its table at tableRoot, both in tree. Unlike
// a row added later, a row with NULL in a UNIQUE index conflicts here, as in SQLite 2.8:
// SQLITE_CONSTRAINT "indexed columns are not unique".
void fillIndex(Btree& tree, PageNumber tableRoot, const Table& table, const Index& index,
               PageNumber indexRoot);

// What an INTEGER PRIMARY KEY (or the row number) is given: an exact integer, or
// SQLITE_MISMATCH "datatype mismatch".
int32_t requireRowNumber(std::string_view text);

}  // namespace sqlite2
