#pragma once

// The names a query's result columns take as the columns of a table: of a view, of a
// sub-select in FROM, of CREATE TABLE ... AS. SQLite 2.8 works them out before it compiles
// the query, from its FROM (whose tables "*" needs, and where a missing table is found) and
// its result columns as written; the query's other mistakes are found when it is compiled,
// after those of the query reading it.

#include <string>
#include <vector>

#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;
struct Table;

// A result column's name as a table column, and whether it is made unique against the
// columns before it (a column of table.column written without an alias, or of "*" over
// several tables).
struct SourceColumnName {
  std::string name;
  bool madeUnique = false;
};

// The name of a result column that is an expression: its alias, the name of the column it
// reads, a text literal's value, or the expression as written, spaces and all (a query's
// result shows it with each run of spaces made one).
SourceColumnName expressionColumnName(const ResultColumn& column);

// The name a column of "*" takes in a query's result (but under PRAGMA full_column_names):
// each run of spaces made one, and none at either end.
std::string starColumnName(const std::string& name);

// A name made unique gets _1, _2, ... added while an earlier column has it.
std::vector<std::string> uniqueColumnNames(const std::vector<SourceColumnName>& columns);

// The names of the query's columns, a compound's from its last SELECT. Throws Error for a
// table of its FROM (or of the FROMs below) that does not exist, a join of a shape
// checkJoinShape refuses, "*" without FROM, and "t.*" of no table of the query.
std::vector<std::string> sourceColumnNames(Session& session, const Select& select);

// A view's column names, worked out while it is being expanded (ExpandingView). A TEMP view
// keeps them, as SQLite 2.8 does from CREATE VIEW on until a temporary table or view is
// dropped: when a table of the file that it reads is dropped, it still has them, and the
// query reading it finds its own mistakes before the view's.
std::vector<std::string> viewColumnNamesKept(Session& session, Table& view);

// The same for one SELECT, a compound's first part alone.
std::vector<std::string> partColumnNames(Session& session, const Select& select);

// Refuses a join of FROM as SQLite 2.8 does: NATURAL with ON or USING, ON with USING, or
// USING a column that one of the two tables it joins lacks.
void checkJoinShape(const FromItem& item, const std::vector<std::string>& leftColumns,
                    const std::vector<std::string>& rightColumns);

}  // namespace sqlite2
