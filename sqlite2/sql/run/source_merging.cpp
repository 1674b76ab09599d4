#include "sql/run/source_merging.h"

#include <memory>

#include "common/error.h"
#include "sql/run/expression.h"
#include "sql/schema/schema.h"

namespace sqlite2 {

namespace {

constexpr int kMaxQueriesLooked = 4096;

// An OFFSET without a LIMIT does not count: 2.8 merges such a query all the same (and then
// skips rows of the reader's, which the run here does not follow).
bool hasLimit(const Select& select) {
  return select.limit && *select.limit >= 0;
}

}  // namespace

bool readsEndOfIndex(Session& session, const Select& query) {
  if (query.columns.size() != 1 || query.from.size() != 1 || query.where ||
      !query.groupBy.empty() || query.from[0].subquery) {
    return false;
  }
  const ResultColumn& column = query.columns[0];
  const Expr* call = column.kind == ResultColumn::Kind::Expression ? column.expr.get() : nullptr;
  if (!call || call->kind != ExprKind::Function || call->star || call->list.size() != 1) {
    return false;
  }
  const AggregateKind kind = aggregateKind(call->text);
  if (kind != AggregateKind::Min && kind != AggregateKind::Max) return false;
  const Expr& argument = *call->list[0];
  if (argument.kind != ExprKind::Name && argument.kind != ExprKind::QualifiedName) return false;
  std::shared_ptr<Table> table;
  try {
    table = session.table(query.from[0]);
  } catch (const Error&) {
    return false;
  }
  if (table->isView) return false;
  const int at = table->findColumn(argument.text);
  if (at < 0) return isRowNumberName(argument.text);
  if (at == table->rowNumberColumn) return true;
  for (const std::shared_ptr<Index>& index : table->indexes) {
    if (!index->columns.empty() && index->columns.front() == at) return true;
  }
  return false;
}

MergeClauses ownClauses(const Select& select) {
  MergeClauses clauses;
  clauses.aggregates = callsAggregate(select);
  clauses.distinct = select.distinct;
  clauses.limited = hasLimit(select);
  clauses.ordered = !select.orderBy.empty();
  return clauses;
}

void addClauses(MergeClauses& into, const MergeClauses& merged) {
  into.aggregates = into.aggregates || merged.aggregates;
  into.distinct = into.distinct || merged.distinct;
  into.limited = into.limited || merged.limited;
  into.ordered = into.ordered || merged.ordered;
}

bool mergesInto(const Select& reader, const MergeClauses& readerClauses, size_t at,
                const Select& source, const MergeClauses& sourceClauses) {
  if (!source.compound.empty() || source.from.empty() || sourceClauses.endOfIndex) return false;
  const bool joins = reader.from.size() > 1;
  const bool rightOfLeftJoin = (reader.from[at].join & kJoinLeft) != 0;
  if (sourceClauses.aggregates &&
      (readerClauses.aggregates || joins || readerClauses.distinct || readerClauses.limited)) {
    return false;
  }
  if ((sourceClauses.distinct || sourceClauses.limited) && (joins || readerClauses.aggregates)) {
    return false;
  }
  if (sourceClauses.ordered && readerClauses.ordered) return false;
  return !(rightOfLeftJoin && (source.from.size() > 1 || source.where));
}

MergeClauses clausesOnceMerged(Session& session, const Select& query) {
  int looked = 0;
  return clausesOnceMerged(session, query, looked);
}

MergeClauses clausesOnceMerged(Session& session, const Select& query, int& looked) {
  MergeClauses clauses = ownClauses(query);
  clauses.endOfIndex = readsEndOfIndex(session, query);
  for (size_t at = 0; at < query.from.size(); ++at) {
    const Select* source = queryOfSource(session, query.from[at], looked);
    if (!source) continue;
    const MergeClauses sourceClauses = clausesOnceMerged(session, *source, looked);
    if (mergesInto(query, clauses, at, *source, sourceClauses)) addClauses(clauses, sourceClauses);
  }
  return clauses;
}

const Select* queryOfSource(Session& session, const FromItem& item, int& looked) {
  return ++looked <= kMaxQueriesLooked ? queryOfSource(session, item) : nullptr;
}

const Select* queryOfSource(Session& session, const FromItem& item) {
  if (item.subquery) return item.subquery.get();
  try {
    std::shared_ptr<Table> table = session.table(item);
    return table->isView ? table->viewSelect.get() : nullptr;
  } catch (const Error&) {
    return nullptr;
  }
}

}  // namespace sqlite2
