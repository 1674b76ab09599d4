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
  bool compound = false;                  // the rows of a compound SELECT
  std::vector<OutputRow> rows;
};

}  // namespace sqlite2
