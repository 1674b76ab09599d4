#pragma once

// The rows an INSERT gives before they are written: its VALUES, compiled and evaluated, or
// what its SELECT finds. INSERT into a table and into a view (through its INSTEAD OF
// triggers) both take them from here.

#include <vector>

#include "sql/text/ast.h"
#include "sql/values/sql_value.h"

namespace sqlite2 {

struct Session;

// The rows an INSERT gives: its VALUES, or what its SELECT finds, and how many values each has.
std::vector<std::vector<SqlValue>> rowsToInsert(Session& session, const Insert& insert,
                                                size_t& valueCount);
// The values' names resolved (or the SELECT's) without evaluating them; how many there are.
size_t prepareInsertValues(Session& session, const Insert& insert);

}  // namespace sqlite2
