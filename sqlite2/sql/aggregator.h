#pragma once

// The running values of a query's aggregates over the rows of one group, as SQLite 2.8
// computes them: count() counts rows (count(x) those where x is not NULL); sum() and avg()
// add the values as reals, skipping NULLs (sum() of no value is 0, avg() NULL); min() and
// max() keep the smallest or largest value as it was, compared as text when the argument is
// a text expression and as numbers otherwise, skipping NULLs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sql/expression.h"

namespace sqlite2 {

class Aggregator {
 public:
  explicit Aggregator(const std::vector<AggregateTerm>& terms);

  // Adds the row the context stands on.
  void add(const EvalContext& row);
  // The values by aggregate slot, for EvalContext::aggregates.
  const SqlValue* results();

 private:
  struct State {
    int64_t count = 0;
    double sum = 0;
    std::optional<std::string> extreme;  // min, max: the value kept so far
  };

  const std::vector<AggregateTerm>* terms_;
  std::vector<State> states_;
  std::vector<SqlValue> results_;
};

}  // namespace sqlite2
