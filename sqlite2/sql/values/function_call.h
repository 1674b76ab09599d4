#pragma once

// What a built-in function is and what one call of it is given: its arguments, evaluated,
// and the few things of the connection that some functions read.

#include <random>

#include "common/seeded_random.h"
#include "sql/values/sql_value.h"

namespace sqlite2 {

// What decides whether a call's value is a text (compares as text) or a number.
enum class FunctionType {
  Numeric,
  Text,
  FollowsArguments,  // coalesce, ifnull, nullif, quote: numeric in this engine
  FirstArgument,     // min and max of several values
};

// What the functions read of the connection they run in: last_insert_rowid(),
// change_count(), last_statement_change_count() and random(). The session is one.
struct FunctionContext {
  int changes = 0;               // of the current execute() call
  int lastStatementChanges = 0;  // of the last INSERT, UPDATE or DELETE that succeeded
  int lastInsertRowid = 0;
  std::mt19937 random = seededGenerator();
};

// One call's arguments, evaluated.
struct FunctionCall {
  const SqlValue* args;
  int count;
  bool asText;               // the call is a text expression (min and max then compare as text)
  FunctionContext* context;  // the connection's; null where there is none
};

struct ScalarFunction {
  const char* name;
  int fewestArguments;
  int mostArguments;  // -1: any number
  FunctionType type;
  SqlValue (*call)(const FunctionCall& call);
};

}  // namespace sqlite2
