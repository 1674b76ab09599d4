#include "sql/run/compound_select.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "common/error.h"
#include "record/row_record.h"
#include "sql/run/compound_column_names.h"
#include "sql/run/source_columns.h"
#include "sql/text/parser.h"
#include "sql/values/comparison.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

std::string operatorName(CompoundOperator op) {
  switch (op) {
    case CompoundOperator::Union:
      return "UNION";
    case CompoundOperator::UnionAll:
      return "UNION ALL";
    case CompoundOperator::Intersect:
      return "INTERSECT";
    default:
      return "EXCEPT";
  }
}

// The row's record bytes: the key by which the set operators compare and order rows.
std::string rowKey(const OutputRow& row) {
  return encodeRecord(row);
}

using KeyedRows = std::map<std::string, OutputRow>;

KeyedRows keyed(std::vector<OutputRow>& rows) {
  KeyedRows result;
  for (OutputRow& row : rows) {
    std::string key = rowKey(row);
    result.emplace(std::move(key), std::move(row));
  }
  return result;
}

std::vector<OutputRow> rowsOf(KeyedRows& keyedRows) {
  std::vector<OutputRow> rows;
  rows.reserve(keyedRows.size());
  for (auto& entry : keyedRows) rows.push_back(std::move(entry.second));
  return rows;
}

void combine(CompoundOperator op, std::vector<OutputRow>& left, std::vector<OutputRow>& right) {
  if (op == CompoundOperator::UnionAll) {
    for (OutputRow& row : right) left.push_back(std::move(row));
    return;
  }
  KeyedRows result = keyed(left);
  KeyedRows other = keyed(right);
  if (op == CompoundOperator::Union) {
    for (auto& entry : other) result.emplace(entry.first, std::move(entry.second));
  } else {
    bool keepShared = op == CompoundOperator::Intersect;
    for (auto it = result.begin(); it != result.end();) {
      bool shared = other.count(it->first) != 0;
      it = shared == keepShared ? std::next(it) : result.erase(it);
    }
  }
  left = rowsOf(result);
}

struct CompoundSort {
  size_t column = 0;
  bool descending = false;
  bool asText = false;
};

// The result column an ORDER BY term names: by number, by a SELECT's alias, or by being the
// same expression as a SELECT's column.
size_t orderColumn(const Expr& term, size_t termNumber, const std::vector<const Select*>& parts,
                   size_t columnCount) {
  std::optional<int> number = orderColumnNumber(term);
  if (number || term.kind == ExprKind::Integer) {
    long long position = number.value_or(0);
    if (position < 1 || position > static_cast<long long>(columnCount)) {
      throw Error(SQLITE_ERROR, "ORDER BY position " +
                                    (number ? std::to_string(*number) : term.text) +
                                    " should be between 1 and " + std::to_string(columnCount));
    }
    return static_cast<size_t>(position - 1);
  }
  std::string written = compressSpaces(term.source);
  for (const Select* part : parts) {
    for (size_t i = 0; i < part->columns.size() && i < columnCount; ++i) {
      const ResultColumn& column = part->columns[i];
      if (!column.expr) continue;
      if (term.kind == ExprKind::Name && column.alias && sameName(*column.alias, term.text)) {
        return i;
      }
      if (sameName(compressSpaces(column.expr->source), written)) return i;
    }
  }
  throw Error(SQLITE_ERROR, "ORDER BY term number " + std::to_string(termNumber) +
                                " does not match any result column");
}

// SQLite 2.8 matches a compound's ORDER BY to its columns before it compiles the parts: it
// looks up each part's FROM and "*" (the last part first), then checks the numbered terms
// against each part's columns (the first part first), then that every other term names a
// column of some part.
void checkCompoundOrder(Session& session, const Select& head,
                        const std::vector<const Select*>& parts) {
  if (head.orderBy.empty()) return;
  std::vector<size_t> columnCounts(parts.size());
  for (size_t i = parts.size(); i-- > 0;) {
    columnCounts[i] = partColumnNames(session, *parts[i]).size();
  }
  for (size_t columnCount : columnCounts) {
    for (size_t i = 0; i < head.orderBy.size(); ++i) {
      const Expr& term = *head.orderBy[i].expr;
      if (orderColumnNumber(term) || term.kind == ExprKind::Integer) {
        orderColumn(term, i + 1, parts, columnCount);
      }
    }
  }
  for (size_t i = 0; i < head.orderBy.size(); ++i) {
    orderColumn(*head.orderBy[i].expr, i + 1, parts, columnCounts.front());
  }
}

void sortRows(const Select& head, const std::vector<const Select*>& parts, QueryRows& result) {
  if (head.orderBy.empty()) return;
  std::vector<CompoundSort> sorts;
  for (size_t i = 0; i < head.orderBy.size(); ++i) {
    const OrderTerm& term = head.orderBy[i];
    CompoundSort sort;
    sort.column = orderColumn(*term.expr, i + 1, parts, result.names.size());
    sort.descending = term.descending;
    sort.asText = result.textColumns[sort.column];
    if (term.collation && sameName(*term.collation, "text")) sort.asText = true;
    if (term.collation && sameName(*term.collation, "numeric")) sort.asText = false;
    sorts.push_back(sort);
  }
  // Equal rows come out in the reverse of the order they came in, as from the reference
  // library's sorter.
  std::reverse(result.rows.begin(), result.rows.end());
  std::stable_sort(
      result.rows.begin(), result.rows.end(), [&](const OutputRow& a, const OutputRow& b) {
        for (const CompoundSort& sort : sorts) {
          const OutputValue& x = a[sort.column];
          const OutputValue& y = b[sort.column];
          int order = (!x || !y) ? (x ? 1 : 0) - (y ? 1 : 0) : compareValues(*x, *y, sort.asText);
          if (order != 0) return sort.descending ? order > 0 : order < 0;
        }
        return false;
      });
}

void applyLimit(const Select& head, QueryRows& result) {
  size_t offset = head.offset > 0 ? static_cast<size_t>(head.offset) : 0;
  offset = std::min(offset, result.rows.size());
  result.rows.erase(result.rows.begin(), result.rows.begin() + static_cast<long>(offset));
  int limit = head.limit.value_or(-1);
  if (limit >= 0 && static_cast<size_t>(limit) < result.rows.size()) {
    result.rows.resize(static_cast<size_t>(limit));
  }
}

// The names of the columns: those of the last SELECT, except that a UNION ALL (unless it is
// the last operator and the compound is ordered) passes on the names of its left side. A
// later SELECT names them as its sources merged in; the first one as a query of its own.
std::vector<std::string> compoundNames(Session& session, const Select& head,
                                       const std::vector<const Select*>& parts,
                                       const std::vector<std::string>& headNames) {
  size_t part = parts.size() - 1;
  while (part > 0 && head.compound[part - 1].op == CompoundOperator::UnionAll &&
         !(part == parts.size() - 1 && !head.orderBy.empty())) {
    --part;
  }
  return part == 0 ? headNames : mergedColumnNames(session, *parts[part]);
}

}  // namespace

std::optional<int> orderColumnNumber(const Expr& expr) {
  if (expr.kind == ExprKind::Integer) {
    if (expr.text.size() > 10 || (expr.text.size() == 10 && expr.text > "2147483647")) {
      return std::nullopt;
    }
    return static_cast<int>(std::stoll(expr.text));
  }
  if (expr.kind == ExprKind::Unary && expr.op == TokenType::Plus) {
    return orderColumnNumber(*expr.left);
  }
  if (expr.kind == ExprKind::Unary && expr.op == TokenType::Minus) {
    std::optional<int> inner = orderColumnNumber(*expr.left);
    if (inner) return -*inner;
  }
  return std::nullopt;
}

void checkCompoundClauses(const Select& head) {
  for (auto part = head.compound.rbegin(); part != head.compound.rend(); ++part) {
    if (part->priorOrdered) {
      throw Error(SQLITE_ERROR,
                  "ORDER BY clause should come after " + operatorName(part->op) + " not before");
    }
    if (part->priorLimited) {
      throw Error(SQLITE_ERROR,
                  "LIMIT clause should come after " + operatorName(part->op) + " not before");
    }
  }
}

QueryRows collectCompoundSelect(Session& session, const Select& head) {
  checkCompoundClauses(head);
  // One left by a compound whose later part failed is not this one's.
  session.compoundError.reset();
  std::vector<const Select*> parts{&head};
  for (const CompoundPart& part : head.compound) parts.push_back(part.select.get());
  checkCompoundOrder(session, head, parts);
  QueryRows result = collectSelectPart(session, head);
  for (const CompoundPart& part : head.compound) {
    QueryRows next = collectSelectPart(session, *part.select);
    if (next.names.size() != result.names.size()) {
      throw Error(SQLITE_ERROR, "SELECTs to the left and right of " + operatorName(part.op) +
                                    " do not have the same number of result columns");
    }
    combine(part.op, result.rows, next.rows);
    result.tableColumns = std::move(next.tableColumns);
    for (size_t i = 0; i < result.textColumns.size(); ++i) {
      result.textColumns[i] = result.textColumns[i] && next.textOnTheRight[i];
    }
  }
  session.throwCompoundError();
  result.names = compoundNames(session, head, parts, result.names);
  result.compound = true;
  sortRows(head, parts, result);
  applyLimit(head, result);
  return result;
}

void runCompoundSelect(Session& session, const Select& head, const ResultRowCallback& onRow) {
  QueryRows result = collectCompoundSelect(session, head);
  session.statementStarted = true;
  session.resultNames = result.names;
  if (!onRow) return;
  std::vector<const char*> names, values;
  for (const std::string& name : result.names) names.push_back(name.c_str());
  for (const OutputRow& row : result.rows) {
    values.clear();
    for (const OutputValue& value : row) values.push_back(value ? value->c_str() : nullptr);
    if (!onRow(static_cast<int>(values.size()), values.data(), names.data())) {
      throw Error(SQLITE_ABORT, "");
    }
  }
}

}  // namespace sqlite2
