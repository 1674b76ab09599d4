#include "db/table.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "db/exception.h"
#include "sqlite.h"

namespace {

// atoi's reading (leading blanks, optional sign, digits, anything after ignored), without its
// undefined behaviour on values outside int: those are clamped.
int readInt(const char* text) {
  if (!text) return 0;
  errno = 0;
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

CppSQLiteTable::CppSQLiteTable(CppSQLiteTable&& other) noexcept
    : columns_(other.columns_),
      rows_(other.rows_),
      selectedRow_(other.selectedRow_),
      cells_(std::exchange(other.cells_, nullptr)) {}

CppSQLiteTable& CppSQLiteTable::operator=(CppSQLiteTable&& other) noexcept {
  if (this == &other) return *this;
  release();
  columns_ = other.columns_;
  rows_ = other.rows_;
  selectedRow_ = other.selectedRow_;
  cells_ = std::exchange(other.cells_, nullptr);
  return *this;
}

CppSQLiteTable::~CppSQLiteTable() {
  release();
}

void CppSQLiteTable::release() {
  if (!cells_) return;
  sqlite_free_table(cells_);
  cells_ = nullptr;
}

void CppSQLiteTable::checkResults() const {
  if (!cells_) throw CppSQLiteException(CPPSQLITE_ERROR, "Null Results pointer", false);
}

int CppSQLiteTable::rowCount() const {
  checkResults();
  return rows_;
}

int CppSQLiteTable::columnCount() const {
  checkResults();
  return columns_;
}

void CppSQLiteTable::selectRow(int row) {
  checkResults();
  if (row < 0 || row > rows_ - 1) {
    throw CppSQLiteException(CPPSQLITE_ERROR, "Invalid row index requested", false);
  }
  selectedRow_ = row;
}

const char* CppSQLiteTable::fieldText(int column) const {
  checkResults();
  if (column < 0 || column > columns_ - 1) {
    throw CppSQLiteException(CPPSQLITE_ERROR, "Invalid field index requested", false);
  }
  // A result with column names but no data rows has no row to read.
  if (rows_ == 0) throw CppSQLiteException(CPPSQLITE_ERROR, "Invalid row index requested", false);
  return cells_[(selectedRow_ + 1) * columns_ + column];
}

const char* CppSQLiteTable::fieldName(int column) const {
  checkResults();
  if (column < 0 || column > columns_ - 1) {
    throw CppSQLiteException(CPPSQLITE_ERROR, "Invalid field index requested", false);
  }
  return cells_[column];
}

int CppSQLiteTable::fieldInt(int column) const {
  return readInt(fieldText(column));
}
