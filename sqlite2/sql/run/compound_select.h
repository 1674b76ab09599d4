#pragma once

// Compound SELECTs: UNION, UNION ALL, INTERSECT and EXCEPT of SELECTs with as many columns
// each, then the compound's ORDER BY and LIMIT. As in SQLite 2.8, UNION, INTERSECT and
// EXCEPT take two rows as one when their texts are the same, and give their rows in the
// order of the rows' record bytes (shorter texts first); UNION ALL keeps the parts' orders.
// The columns are named as the last SELECT names them, and ORDER BY sorts a column as text
// only when it is a text in every SELECT.

#include <optional>

#include "sql/run/query_rows.h"
#include "sql/run/session.h"
#include "sql/text/ast.h"

namespace sqlite2 {

void runCompoundSelect(Session& session, const Select& head, const ResultRowCallback& onRow);
QueryRows collectCompoundSelect(Session& session, const Select& head);

// Refuses an ORDER BY or LIMIT of a SELECT other than the last, the last one's first, as
// SQLite 2.8 does when it compiles the compound.
void checkCompoundClauses(const Select& head);

// The column number an ORDER BY or GROUP BY term stands for: an integer, with or without a
// sign; none for anything else, or for a number beyond 32 bits.
std::optional<int> orderColumnNumber(const Expr& expr);

// One SELECT of a compound, run without the compound's ORDER BY and LIMIT.
QueryRows collectSelectPart(Session& session, const Select& select);

}  // namespace sqlite2
