#pragma once

// What a view's query needs beyond an ordinary SELECT's.

#include <functional>
#include <string>
#include <string_view>

#include "sql/text/ast.h"

namespace sqlite2 {

// Marks every table the query names, in sub-selects (but those of GROUP BY and ORDER BY) and
// compound parts too, as one of the view's database: a view always reads the tables of its own
// database, and a missing one is reported as database.name. A table already named in another
// database is left as it is; other, when given, receives the first such database's name.
void fixToDatabase(Select& select, std::string_view database, std::string* other = nullptr);
// The same for the sub-selects of an expression.
void fixToDatabase(Expr& expr, std::string_view database, std::string* other = nullptr);

// Calls visit for every table whose columns the query's column names need: those of its
// FROM and of sub-selects there, of a compound only those of the last SELECT.
void forEachTableNamed(const Select& select, const std::function<void(const FromItem&)>& visit);

// Calls visit for every table that a FROM of the query names, in sub-selects of FROM and in
// the parts of a compound too.
void forEachTableRead(const Select& select, const std::function<void(const FromItem&)>& visit);

}  // namespace sqlite2
