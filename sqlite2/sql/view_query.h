#pragma once

// What a view's query needs beyond an ordinary SELECT's.

#include "sql/ast.h"

namespace sqlite2 {

class Schema;

// Marks every table the query names, in sub-selects and compound parts too, as one of the
// main database: a view always reads the tables of its own database, and a missing one is
// reported as main.name.
void fixToMainDatabase(Select& select);
// The same for the sub-selects of an expression.
void fixToMainDatabase(Expr& expr);

// Checks what CREATE VIEW checks before it stores the view: every table of FROM (also in
// sub-selects of FROM and in the parts of a compound) exists, and every "t.*" names one of
// its query's tables. Throws Error with the reference library's text otherwise. Expressions
// are not resolved: a view of an unknown column is stored and fails when it is read.
void checkViewSources(const Schema& schema, const Select& select);

}  // namespace sqlite2
