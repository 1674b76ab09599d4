#pragma once

// The result array of sqlite_get_table, built row by row.
//
// The array is a malloc'd block of text pointers whose hidden first slot links the blocks
// holding the texts, so that neither growing the table nor handing it over copies a text:
// a query of 100,000 rows copies each value once, from the row into a text block.

#include <cstddef>

namespace sqlite2::api {

struct ResultTextBlock;  // internal to the table

class ResultTable {
 public:
  ResultTable() = default;
  ~ResultTable();  // frees whatever release() did not hand over
  ResultTable(const ResultTable&) = delete;
  ResultTable& operator=(const ResultTable&) = delete;

  // Takes one row; returns false, keeping nothing, when its column count differs from the
  // rows before it (the statements of one call must agree). Throws std::bad_alloc when
  // memory runs out.
  bool addRow(int columnCount, const char* const* values, const char* const* names);

  int rowCount() const { return rowCount_; }
  int columnCount() const { return columnCount_; }

  // Hands over the array of (rowCount + 1) * columnCount text pointers (the column names,
  // then the rows; NULL values as null pointers), or one null pointer for an empty result.
  // Release it with freeResultArray. nullptr when memory runs out.
  char** release();

 private:
  void addCell(const char* text);
  void growCells();
  char* storeText(const char* text, size_t size);

  int rowCount_ = 0;
  int columnCount_ = -1;    // -1 until the first row
  char** slots_ = nullptr;  // slots_[0]: the newest text block; the cells follow
  size_t cellCount_ = 0;
  size_t cellCapacity_ = 0;
  ResultTextBlock* blocks_ = nullptr;  // newest first, each linking the one before
};

// Frees an array that ResultTable::release handed over, texts and all; nullptr is allowed.
void freeResultArray(char** cells);

}  // namespace sqlite2::api
