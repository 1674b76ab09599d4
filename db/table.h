#pragma once

// The whole result of one query, held in memory as the library's sqlite_get_table array.

class CppSQLiteDB;

class CppSQLiteTable {
 public:
  // An empty, released table: every read raises "Null Results pointer".
  CppSQLiteTable() = default;

  // A table has exactly one owner, so its array is released exactly once: it moves, it is
  // never copied. A moved-from table is released.
  CppSQLiteTable(CppSQLiteTable&& other) noexcept;
  CppSQLiteTable& operator=(CppSQLiteTable&& other) noexcept;
  CppSQLiteTable(const CppSQLiteTable&) = delete;
  CppSQLiteTable& operator=(const CppSQLiteTable&) = delete;
  virtual ~CppSQLiteTable();

  int rowCount() const;
  int columnCount() const;
  // Makes data row `row` (from 0) the one that field reads refer to.
  void selectRow(int row);
  // The selected row's value in that column: a text, or null for SQL NULL.
  const char* fieldText(int column) const;
  // The same value read as a decimal integer; NULL and non-numeric texts read as 0.
  int fieldInt(int column) const;
  // The name of a result column, as the library gives it.
  const char* fieldName(int column) const;
  // Releases the array; a second call does nothing.
  void release();

 private:
  friend class CppSQLiteDB;
  CppSQLiteTable(char** cells, int rows, int columns) noexcept
      : columns_(columns), rows_(rows), cells_(cells) {}

  void checkResults() const;

  int columns_ = 0;
  int rows_ = 0;
  int selectedRow_ = 0;
  char** cells_ = nullptr;
};
