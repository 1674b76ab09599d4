#include "sql/run/aggregator.h"

#include "sql/values/comparison.h"

namespace sqlite2 {

void addToAggregates(const std::vector<AggregateTerm>& terms, AggregateState* states,
                     const EvalContext& row) {
  for (size_t i = 0; i < terms.size(); ++i) {
    const AggregateTerm& term = terms[i];
    AggregateState& state = states[i];
    if (!term.argument) {
      ++state.count;
      continue;
    }
    SqlValue value = term.argument->evaluate(row);
    if (value.isNull()) continue;
    ++state.count;
    switch (term.kind) {
      case AggregateKind::Count:
        break;
      case AggregateKind::Sum:
      case AggregateKind::Avg:
        state.sum += value.toReal();
        break;
      case AggregateKind::Min:
      case AggregateKind::Max: {
        if (state.extreme) {
          int order = compareValues(value.text(), *state.extreme, term.asText);
          bool better = term.kind == AggregateKind::Min ? order < 0 : order >= 0;
          if (!better) break;
        }
        state.extreme.emplace(value.text());
        break;
      }
    }
  }
}

void aggregateResults(const std::vector<AggregateTerm>& terms, const AggregateState* states,
                      SqlValue* results) {
  for (size_t i = 0; i < terms.size(); ++i) {
    const AggregateState& state = states[i];
    switch (terms[i].kind) {
      case AggregateKind::Count:
        results[i].setInteger(static_cast<int32_t>(state.count));
        break;
      case AggregateKind::Sum:
        results[i] = SqlValue::real(state.sum);
        break;
      case AggregateKind::Avg:
        results[i] = state.count ? SqlValue::real(state.sum / static_cast<double>(state.count))
                                 : SqlValue::null();
        break;
      case AggregateKind::Min:
      case AggregateKind::Max:
        results[i] = state.extreme ? SqlValue::borrowedText(*state.extreme) : SqlValue::null();
        break;
    }
  }
}

}  // namespace sqlite2
