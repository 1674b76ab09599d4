#include "sql/run/source_compound_order.h"

#include <optional>
#include <string>
#include <vector>

#include "common/ascii_case.h"
#include "common/error.h"
#include "sql/run/compound_select.h"
#include "sql/run/expression.h"
#include "sql/run/source_columns.h"
#include "sql/run/source_merging.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// One check's walk over the queries below a source; it shares its count of queries looked at
// with the questions of merging it asks.
struct Walk {
  Session& session;
  int looked = 0;
  // Whether a grouping or DISTINCT view read by an aggregate query, which cannot merge into it,
  // hides the compounds below it (checkRerunOfNumberedColumn).
  bool viewsHide = false;
};

const Select* queryOf(Walk& walk, const FromItem& item) {
  return queryOfSource(walk.session, item, walk.looked);
}

// A query reading sources, with its clauses so far.
struct Reader {
  const Select& select;
  MergeClauses clauses;
};

Reader readerOf(const Select& select) {
  return Reader{select, ownClauses(select)};
}

// Whether the query at that place of the reader's FROM merges into the reader, which then has
// the clauses it brings.
bool mergeInto(Walk& walk, Reader& reader, size_t at) {
  const Select* query = queryOf(walk, reader.select.from[at]);
  if (!query) return false;
  const MergeClauses clauses = clausesOnceMerged(walk.session, *query, walk.looked);
  if (!mergesInto(reader.select, reader.clauses, at, *query, clauses)) return false;
  addClauses(reader.clauses, clauses);
  return true;
}

// A column of a query merged into a part, with the name the part reads it by.
struct MergedColumn {
  std::string source;
  std::string name;
  const Expr* expr;
};

std::vector<MergedColumn> mergedColumns(Walk& walk, const Select& part) {
  std::vector<MergedColumn> columns;
  Reader reader = readerOf(part);
  for (size_t at = 0; at < part.from.size(); ++at) {
    const FromItem& item = part.from[at];
    if (!mergeInto(walk, reader, at)) continue;
    const Select* query = queryOf(walk, item);
    std::vector<std::string> names;
    try {
      names = sourceColumnNames(walk.session, *query);
    } catch (const Error&) {
      continue;
    }
    if (names.size() != query->columns.size()) continue;  // a "*" reads tables' columns
    const std::string& source = item.alias ? *item.alias : item.table;
    for (size_t i = 0; i < names.size(); ++i) {
      columns.push_back(MergedColumn{source, names[i], query->columns[i].expr.get()});
    }
  }
  return columns;
}

const Expr* mergedExpr(const Expr& name, const std::vector<MergedColumn>& columns) {
  for (const MergedColumn& column : columns) {
    if (column.expr && sameName(column.name, name.text) &&
        (name.kind == ExprKind::Name || sameName(column.source, name.qualifier))) {
      return column.expr;
    }
  }
  return nullptr;
}

// Whether the term is made of literals alone once the merged queries' columns stand in it.
bool constantOnceMerged(const Expr& term, const std::vector<MergedColumn>& columns) {
  switch (term.kind) {
    case ExprKind::Name:
    case ExprKind::QualifiedName: {
      const Expr* merged = mergedExpr(term, columns);
      return merged && constantOnceMerged(*merged, {});
    }
    case ExprKind::Unary:
      return constantOnceMerged(*term.left, columns);
    case ExprKind::Binary:
      return constantOnceMerged(*term.left, columns) && constantOnceMerged(*term.right, columns);
    default:
      return isLiteral(term);
  }
}

// The column number a term is once the merged queries' columns stand in it, if it is one.
std::optional<int> mergedNumber(const Expr& term, const std::vector<MergedColumn>& columns) {
  if (term.kind == ExprKind::Unary && (term.op == TokenType::Minus || term.op == TokenType::Plus)) {
    std::optional<int> inner = mergedNumber(*term.left, columns);
    return inner && term.op == TokenType::Minus ? std::optional<int>(-*inner) : inner;
  }
  const Expr* merged = mergedExpr(term, columns);
  return merged ? orderColumnNumber(*merged) : orderColumnNumber(term);
}

// The refusal of a grouping part of a compound run a second time: its GROUP BY terms now
// hold the columns of the queries it merged, and a constant is refused, or read as the
// number of a result column.
std::optional<std::string> groupRefusal(Walk& walk, const Select& part) {
  if (!callsAggregate(part)) return std::nullopt;
  std::vector<MergedColumn> columns = mergedColumns(walk, part);
  for (const ExprPtr& term : part.groupBy) {
    if (orderColumnNumber(*term) || !constantOnceMerged(*term, columns)) continue;
    std::optional<int> number = mergedNumber(*term, columns);
    if (!number) return "GROUP BY terms must not be non-integer constants";
    int count = static_cast<int>(part.columns.size());
    if (*number < 1 || *number > count) {
      return "GROUP BY column number " + std::to_string(*number) +
             " out of range - should be between 1 and " + std::to_string(count);
    }
  }
  return std::nullopt;
}

std::optional<std::string> rerunRefusal(Walk& walk, const Select& query);

// The sub-selects of the expression, which a second run runs again too.
std::optional<std::string> rerunRefusal(Walk& walk, const Expr* expr) {
  if (!expr) return std::nullopt;
  std::optional<std::string> refusal;
  if (expr->select) refusal = rerunRefusal(walk, *expr->select);
  if (!refusal) refusal = rerunRefusal(walk, expr->left.get());
  if (!refusal) refusal = rerunRefusal(walk, expr->right.get());
  for (const ExprPtr& operand : expr->list) {
    if (!refusal) refusal = rerunRefusal(walk, operand.get());
  }
  return refusal;
}

// One SELECT run a second time, with what it reads: its GROUP BY now holds the columns of the
// queries it merged, and every view, sub-select and compound below it runs again.
std::optional<std::string> rerunPartRefusal(Walk& walk, const Select& part) {
  std::optional<std::string> refusal = groupRefusal(walk, part);
  const bool aggregate = callsAggregate(part) || !part.groupBy.empty();
  for (const FromItem& item : part.from) {
    const Select* query = queryOf(walk, item);
    const bool hidden = walk.viewsHide && aggregate && !item.subquery && query &&
                        query->compound.empty() &&
                        (callsAggregate(*query) || !query->groupBy.empty() || query->distinct);
    if (!refusal && query && !hidden) refusal = rerunRefusal(walk, *query);
    if (!refusal) refusal = rerunRefusal(walk, item.on.get());
  }
  for (const ResultColumn& column : part.columns) {
    if (!refusal) refusal = rerunRefusal(walk, column.expr.get());
  }
  if (!refusal) refusal = rerunRefusal(walk, part.where.get());
  if (!refusal) refusal = rerunRefusal(walk, part.having.get());
  for (const ExprPtr& term : part.groupBy) {
    if (!refusal) refusal = rerunRefusal(walk, term.get());
  }
  return refusal;
}

// How 2.8 refuses a query it runs a second time: a compound by its ORDER BY, whose terms it
// rewrote the first time, or any part by what it reads.
std::optional<std::string> rerunRefusal(Walk& walk, const Select& query) {
  if (!query.orderBy.empty() && !query.compound.empty()) {
    return std::string("ORDER BY term number 1 does not match any result column");
  }
  std::optional<std::string> refusal = rerunPartRefusal(walk, query);
  for (const CompoundPart& part : query.compound) {
    if (!refusal) refusal = rerunPartRefusal(walk, *part.select);
  }
  return refusal;
}

// The refusal that the FROM item brings when merging it into the reader, with what it merges
// itself, runs its compounds a second time: all but one that would stand first.
std::optional<std::string> laterRefusal(Walk& walk, Reader& reader, size_t at, bool first) {
  const Select* query = queryOf(walk, reader.select.from[at]);
  if (!query) return std::nullopt;
  if (!query->compound.empty()) {
    return first ? std::nullopt : rerunRefusal(walk, *query);
  }
  if (!mergeInto(walk, reader, at)) return std::nullopt;
  Reader inner = readerOf(*query);
  for (size_t place = 0; place < query->from.size(); ++place) {
    std::optional<std::string> refusal = laterRefusal(walk, inner, place, first && place == 0);
    if (refusal) return refusal;
  }
  return std::nullopt;
}

}  // namespace

void checkCompoundOrderOfSource(Session& session, SourceReader source, size_t place) {
  Walk walk{session};
  Reader reader = readerOf(source.select);
  reader.clauses.ordered = source.ordered;
  reader.clauses.limited = source.limited;
  for (size_t before = 0; before < place; ++before) mergeInto(walk, reader, before);
  std::optional<std::string> refusal = laterRefusal(walk, reader, place, true);
  if (refusal) throw Error(SQLITE_ERROR, *refusal);
}

void checkRerunOfNumberedColumn(Session& session, const Expr& column) {
  Walk walk{session};
  walk.viewsHide = true;
  std::optional<std::string> refusal = rerunRefusal(walk, &column);
  if (refusal) throw Error(SQLITE_ERROR, *refusal);
}

}  // namespace sqlite2
