#pragma once

// The running values of a query's aggregates over the rows of one group, as SQLite 2.8
// computes them: count() counts rows (count(x) those where x is not NULL); sum() and avg()
// add the values as reals, skipping NULLs (sum() of no value is 0, avg() NULL); min() and
// max() keep the smallest or largest value as it was, compared as text when the argument is
// a text expression and as numbers otherwise, skipping NULLs (of equal values, min() keeps
// the first and max() the last).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sql/run/expression.h"

namespace sqlite2 {

// One aggregate's running value in one group.
struct AggregateState {
  int64_t count = 0;
  double sum = 0;
  std::optional<std::string> extreme;  // min, max: the value kept so far
};

// Adds the row the context stands on to a group's states (one per term).
void addToAggregates(const std::vector<AggregateTerm>& terms, AggregateState* states,
                     const EvalContext& row);
// The aggregates' values from a group's states, into results (one per term; a text result
// borrows from the state).
void aggregateResults(const std::vector<AggregateTerm>& terms, const AggregateState* states,
                      SqlValue* results);

}  // namespace sqlite2
