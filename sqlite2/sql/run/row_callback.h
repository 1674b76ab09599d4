#pragma once

// How a statement hands its result rows to the caller: the number of columns, each value as
// a text (null for NULL) and the columns' names. Returning false stops the statement.

#include <functional>

namespace sqlite2 {

using ResultRowCallback =
    std::function<bool(int columnCount, const char* const* values, const char* const* names)>;

}  // namespace sqlite2
