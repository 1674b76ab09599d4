#include "sql/aggregator.h"

#include "sql/comparison.h"

namespace sqlite2 {

Aggregator::Aggregator(const std::vector<AggregateTerm>& terms)
    : terms_(&terms), states_(terms.size()), results_(terms.size()) {}

void Aggregator::add(const EvalContext& row) {
  for (size_t i = 0; i < states_.size(); ++i) {
    const AggregateTerm& term = (*terms_)[i];
    State& state = states_[i];
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
          int order = compareValues(value.text(), *state.extreme, term.argument->isText());
          // Of equal values max() keeps the last, min() the first.
          bool better = term.kind == AggregateKind::Min ? order < 0 : order >= 0;
          if (!better) break;
        }
        state.extreme.emplace(value.text());
        break;
      }
    }
  }
}

const SqlValue* Aggregator::results() {
  for (size_t i = 0; i < states_.size(); ++i) {
    const State& state = states_[i];
    switch ((*terms_)[i].kind) {
      case AggregateKind::Count:
        results_[i] = SqlValue::integer(static_cast<int32_t>(state.count));
        break;
      case AggregateKind::Sum:
        results_[i] = SqlValue::real(state.sum);
        break;
      case AggregateKind::Avg:
        results_[i] = state.count ? SqlValue::real(state.sum / static_cast<double>(state.count))
                                  : SqlValue::null();
        break;
      case AggregateKind::Min:
      case AggregateKind::Max:
        results_[i] = state.extreme ? SqlValue::borrowedText(*state.extreme) : SqlValue::null();
        break;
    }
  }
  return results_.data();
}

}  // namespace sqlite2
