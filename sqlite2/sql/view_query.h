#pragma once

// What a view's query needs beyond an ordinary SELECT's.

#include <functional>
#include <string>
#include <string_view>

#include "sql/ast.h"

namespace sqlite2 {

struct Session;
struct Table;

// Marks every table the query names, in sub-selects and compound parts too, as one of the
// view's database: a view always reads the tables of its own database, and a missing one is
// reported as database.name. A table already named in another database is left as it is;
// other, when given, receives the first such database's name.
void fixToDatabase(Select& select, std::string_view database, std::string* other = nullptr);
// The same for the sub-selects of an expression.
void fixToDatabase(Expr& expr, std::string_view database, std::string* other = nullptr);

// Checks what CREATE VIEW checks before it stores the view: a view of the file reads the
// file's tables only ("view v cannot reference objects in database d"), and its column names
// can be worked out: every table of FROM (also in sub-selects of FROM, of a compound only in
// its last SELECT) exists, and every "t.*" names one of its query's tables. Throws Error
// with the reference library's text otherwise. Expressions are not resolved: a view of an
// unknown column is stored and fails when it is read.
void checkViewSources(Session& session, Table& view, const Select& select);

// Calls visit for every table whose columns the query's column names need: those of its
// FROM and of sub-selects there, of a compound only those of the last SELECT.
void forEachTableNamed(const Select& select, const std::function<void(const FromItem&)>& visit);

// Calls visit for every table that a FROM of the query names, in sub-selects of FROM and in
// the parts of a compound too.
void forEachTableRead(const Select& select, const std::function<void(const FromItem&)>& visit);

}  // namespace sqlite2
