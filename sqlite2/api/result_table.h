#pragma once

// The result array of sqlite_get_table, built row by row.

#include <cstddef>
#include <string>
#include <vector>

namespace sqlite2::api {

class ResultTable {
 public:
  // Takes one row; returns false, keeping nothing, when its column count differs from the
  // rows before it (the statements of one call must agree).
  bool addRow(int columnCount, const char* const* values, const char* const* names);

  int rowCount() const { return rowCount_; }
  int columnCount() const { return columnCount_; }

  // One malloc'd block holding (rowCount + 1) * columnCount text pointers (the column names,
  // then the rows; NULL values as null pointers) followed by the texts themselves, so that
  // free() of the array releases everything. nullptr when memory runs out.
  char** release() const;

 private:
  void addCell(const char* text);

  int rowCount_ = 0;
  int columnCount_ = -1;  // -1 until the first row
  // Every cell's text with its terminator, one after another; offsets_ gives where each cell
  // starts, or kNull.
  static constexpr size_t kNull = static_cast<size_t>(-1);
  std::string texts_;
  std::vector<size_t> offsets_;
};

}  // namespace sqlite2::api
