#pragma once

// The built-in functions of SQLite 2.8 that work on one row: length, substr, upper, lower,
// abs, round, coalesce, ifnull, nullif, min and max of several values, random,
// last_insert_rowid, change_count, last_statement_change_count, quote, like, glob,
// sqlite_version (typeof is decided when compiling).

#include <string_view>

#include "sql/sql_value.h"

namespace sqlite2 {

struct Session;

// What decides whether a call's value is a text (compares as text) or a number.
enum class FunctionType {
  Numeric,
  Text,
  FollowsArguments,  // coalesce, ifnull, nullif, quote: numeric in this engine
  FirstArgument,     // min and max of several values
};

// One call's arguments, evaluated.
struct FunctionCall {
  const SqlValue* args;
  int count;
  bool asText;       // the call is a text expression (min and max then compare as text)
  Session* session;  // the connection; null where there is none
};

struct ScalarFunction {
  const char* name;
  int fewestArguments;
  int mostArguments;  // -1: any number
  FunctionType type;
  SqlValue (*call)(const FunctionCall& call);
};

// The function of that name (any case) taking count arguments. Throws Error(SQLITE_ERROR)
// "no such function: name" or "wrong number of arguments to function name()".
const ScalarFunction& findScalarFunction(std::string_view name, int count);

// Whether name(count arguments) is an aggregate: count, sum, avg, and min or max of one value.
bool isAggregateCall(std::string_view name, int count);

}  // namespace sqlite2
