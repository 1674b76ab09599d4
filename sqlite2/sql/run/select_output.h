#pragma once

// The output stage of a SELECT whose names are resolved (select_statement.cpp): its result
// rows as the scan or the grouping finds them, kept apart from those seen before for
// DISTINCT, sorted for ORDER BY, cut by LIMIT and OFFSET, and handed to the caller's row
// callback as texts.

#include <string>
#include <unordered_set>
#include <vector>

#include "sql/run/expression.h"
#include "sql/run/query_rows.h"
#include "sql/run/session.h"

namespace sqlite2 {

// One ORDER BY term, resolved.
struct SortTerm {
  CompiledExprPtr owned;               // compiled for this term
  const CompiledExpr* expr = nullptr;  // owned, or a result column's expression
  bool descending = false;
  bool asText = false;
  bool collated = false;
  // A key a merged source's ORDER BY gave its rows: expr gives that source's row number, and
  // the key is read from these, by row.
  const std::vector<std::vector<OutputValue>>* keysByRow = nullptr;
  size_t keyIndex = 0;
};

// What the output stage delivers, and how.
struct OutputShape {
  const std::vector<CompiledExprPtr>* columns = nullptr;  // the result columns
  const std::vector<std::string>* names = nullptr;        // their names
  const std::vector<SortTerm>* orderBy = nullptr;         // empty: the order found
  bool distinct = false;
  bool rowsInOrder = false;  // the rows come in ORDER BY's order already (an index's)
  int limit = -1;            // negative: none
  int offset = 0;
  bool showDatatypes = false;             // the callback's names are followed by the columns' types
  QueryRows::Sorting* sorting = nullptr;  // receives how the rows handed on were sorted
  bool* firstIsInteger = nullptr;         // receives QueryRows::firstIsInteger
};

class SelectOutput {
 public:
  SelectOutput(const OutputShape& shape, const ResultRowCallback& onRow);

  // Adds a finished result row (or group): sorted later, or handed on now. False once LIMIT
  // is reached.
  bool add(const EvalContext& context);
  // Hands on the row a scan is on at once (no DISTINCT, and no sorting needed), without
  // copying what the callback can read from the row itself.
  bool addCurrent(const EvalContext& context);
  // Hands on the rows kept for ORDER BY, sorted.
  void finish();

 private:
  struct SortedRow {
    std::vector<OutputValue> keys;
    std::vector<OutputValue> values;
    size_t found = 0;  // its place among the rows as found
  };
  enum class Admission { Stop, Skip, Pass };

  bool isNewDistinctRow(std::vector<OutputValue>& row);
  std::vector<OutputValue> outputRow(const EvalContext& context);
  // Whether the first row handed on can say QueryRows::firstIsInteger (set as it is).
  bool tellsFirstKind() const {
    return shape_.firstIsInteger && emitted_ == 0 && orderBy_.empty() && !shape_.distinct;
  }
  // Hands one row to the callback unless OFFSET skips it; false once LIMIT is reached.
  bool emit(const std::vector<OutputValue>& row);
  Admission admitRow();
  OutputValue sortKey(const SortTerm& term, const EvalContext& context) const;
  // Hands on a row with its sort keys, noting them where the sorting is asked for.
  bool emitSorted(const SortedRow& row);
  void noteSorted(const SortedRow& row);
  bool deliver(const char* const* values);

  OutputShape shape_;
  const std::vector<CompiledExprPtr>& columns_;
  const std::vector<SortTerm>& orderBy_;
  const ResultRowCallback& onRow_;
  std::vector<SortedRow> sorted_;
  size_t found_ = 0;  // rows found for sorting so far
  std::unordered_set<std::string> distinctKeys_;
  std::string keyScratch_;
  int skipped_ = 0;
  int emitted_ = 0;
  bool rowBeginsWithInteger_ = false;  // the row outputRow() made last, while tellsFirstKind()
  std::vector<bool> computedReals_;    // of that row, by column, under DISTINCT
  // Reused from row to row: the values handed on, the texts computed for them, the names.
  std::vector<const char*> rowValues_;
  std::vector<std::string> rowTexts_;
  std::vector<const char*> rowNames_;
};

}  // namespace sqlite2
