#pragma once

// How a statement finds the rows its WHERE clause asks for, chosen as the reference library
// chooses: the row number when the WHERE gives it (by "=" or "IN"), else the index that the
// WHERE constrains best, else a row number range, else every row; and an index that yields the
// ORDER BY order when nothing else is used. The choice is visible in results: rows come in the
// order of what is walked, and the terms an index answers are not checked again (on a text column
// the index compares as text, where the check itself would compare numerically).

#include <memory>
#include <optional>
#include <vector>

#include "sql/run/expression.h"
#include "sql/schema/schema.h"

namespace sqlite2 {

// An ORDER BY term as the planner sees it.
struct OrderColumn {
  enum : int { kRowNumber = -1, kNotAColumn = -2 };
  int column = kNotAColumn;  // kRowNumber, a column position, or kNotAColumn
  bool descending = false;
};

struct IndexBound {
  const CompiledExpr* value = nullptr;
  bool inclusive = false;
};

struct AccessPlan {
  enum class Kind { FullScan, RowNumberEquals, RowNumberIn, RowNumberRange, IndexScan };
  Kind kind = Kind::FullScan;

  // RowNumberEquals: the value; RowNumberRange: bounds that narrow the walk.
  const CompiledExpr* rowNumberValue = nullptr;
  std::vector<IndexBound> rowNumberLower, rowNumberUpper;

  // IndexScan: values for the first index columns, then a range on the next one.
  std::shared_ptr<Index> index;
  std::vector<const CompiledExpr*> equalValues;
  std::optional<IndexBound> lower, upper;
  // RowNumberIn, or IndexScan on its first column: the "IN (...)" term whose values are
  // looked up one after the other (instead of equalValues and the bounds).
  const CompiledExpr* inTerm = nullptr;

  bool descending = false;                    // walk backwards
  bool providesOrder = false;                 // rows come in ORDER BY order already
  std::vector<const CompiledExpr*> residual;  // WHERE terms to check on every row
};

AccessPlan planAccess(const Table& table, const CompiledExpr* where,
                      const std::vector<OrderColumn>& orderBy);
// For the table at place source of a join: terms (ANDed) may compare its columns with values
// from the tables before it.
AccessPlan planAccess(const Table& table, const std::vector<const CompiledExpr*>& terms,
                      const std::vector<OrderColumn>& orderBy, int source);

// The terms of an AND chain.
void splitConjunction(const CompiledExpr* expr, std::vector<const CompiledExpr*>& terms);

// The column of table `source` (or OrderColumn::kRowNumber) that `term` compares with a value
// known before that table is read, as an index or the row number can answer it; none else.
std::optional<int> constrainedColumn(const CompiledExpr* term, int source);

}  // namespace sqlite2
