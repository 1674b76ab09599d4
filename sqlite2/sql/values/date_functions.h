#pragma once

// The date and time functions of SQLite 2.8: date, time, datetime, julianday and strftime.
// Each takes a time value and any number of modifiers (strftime a format first); a missing,
// NULL or unreadable argument gives NULL.

#include <string_view>

#include "sql/values/function_call.h"

namespace sqlite2 {

// The date or time function of that name (any case), or null. They take any number of
// arguments.
const ScalarFunction* findDateFunction(std::string_view name);

}  // namespace sqlite2
