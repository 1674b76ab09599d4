#pragma once

// The column names of a compound that takes them from one of its later SELECTs. SQLite 2.8
// names those after it has merged the views and sub-selects of that SELECT's FROM into it
// where it can: a column that reads such a source by name is named by the expression the
// source gives for it (never its alias), and PRAGMA full_column_names and short_column_names
// do not apply. An alias of the SELECT itself still names its column.

#include <string>
#include <vector>

#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;

std::vector<std::string> mergedColumnNames(Session& session, const Select& part);

}  // namespace sqlite2
