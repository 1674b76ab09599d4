#pragma once

// The built-in functions of SQLite 2.8 that work on one row: length, substr, upper, lower,
// abs, round, coalesce, ifnull, nullif, min and max of several values, random,
// last_insert_rowid, change_count, last_statement_change_count, quote, like, glob,
// sqlite_version (typeof is decided when compiling).

#include <string_view>

#include "sql/values/function_call.h"

namespace sqlite2 {

// The function of that name (any case) taking count arguments. Throws Error(SQLITE_ERROR)
// "no such function: name" or "wrong number of arguments to function name()".
const ScalarFunction& findScalarFunction(std::string_view name, int count);

// Whether name(count arguments) is an aggregate: count, sum, avg, and min or max of one value.
bool isAggregateCall(std::string_view name, int count);

}  // namespace sqlite2
