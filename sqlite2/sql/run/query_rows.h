#pragma once

// The rows of a SELECT gathered in memory: a sub-select (in an expression, in FROM, or a view
// read through), or a part of a compound SELECT.

#include <optional>
#include <string>
#include <vector>

namespace sqlite2 {

using OutputValue = std::optional<std::string>;
using OutputRow = std::vector<OutputValue>;

struct QueryRows {
  std::vector<std::string> names;         // the result columns' names
  std::vector<std::string> tableColumns;  // the names the columns take as a table's, unique
  std::vector<bool> textColumns;          // whether each column is a text expression
  std::vector<bool> textOnTheRight;       // the same in a later part of a compound
  std::vector<bool> integerColumns;       // whether each column always gives an integer
  bool compound = false;                  // the rows of a compound SELECT
  // The first row's first value was computed as an integer and handed on as it was (not
  // sorted, nor through DISTINCT): 2.8 keeps it so for a scalar sub-select, whose value then
  // takes integer arithmetic ((SELECT count(*) FROM t) / 7 is 0).
  bool firstIsInteger = false;
  // The clauses the query has once the sub-selects it merges into itself bring theirs, which
  // decide in turn whether a query reading it merges it.
  struct Clauses {
    bool aggregates = false;  // aggregate functions
    bool distinct = false;
    bool limited = false;  // LIMIT or OFFSET
    bool ordered = false;  // ORDER BY
    // min() or max() alone of a table's row number or of an index's first column, without
    // WHERE or GROUP BY: read from one end of the table or index, never merged.
    bool endOfIndex = false;
  } clauses;
  std::vector<OutputRow> rows;
  // Where ORDER BY sorted the rows: each row's place among the rows as they were found, and
  // its sort keys with how each sorts. A join that 2.8 merges this query into sorts by them.
  struct Sorting {
    std::vector<size_t> found;
    std::vector<std::vector<OutputValue>> keys;
    std::vector<bool> descending;
    std::vector<bool> asText;
  };
  std::optional<Sorting> sorting;
};

}  // namespace sqlite2
