#include "sql/run/access_plan.h"

#include <algorithm>

namespace sqlite2 {

namespace {

// A WHERE term of the form "column op constant" (either way round).
struct Constraint {
  const CompiledExpr* term = nullptr;
  int column = 0;  // OrderColumn::kRowNumber for the row number
  TokenType op = TokenType::Eq;
  const CompiledExpr* value = nullptr;
};

TokenType mirrored(TokenType op) {
  switch (op) {
    case TokenType::Lt:
      return TokenType::Gt;
    case TokenType::Le:
      return TokenType::Ge;
    case TokenType::Gt:
      return TokenType::Lt;
    case TokenType::Ge:
      return TokenType::Le;
    default:
      return op;
  }
}

int referencedColumn(const CompiledExpr* expr) {
  return expr->op() == CompiledExpr::Op::RowNumber ? OrderColumn::kRowNumber : expr->column();
}

// A column of the table at place source, and a value known before its rows are walked: one
// that reads only tables walked further out.
bool isColumnOf(const CompiledExpr* expr, int source) {
  return expr->isColumnOrRowNumber() && expr->source() == source;
}
bool isKnownBefore(const CompiledExpr* expr, int source) {
  return expr->sourcesUsed() < (uint64_t{1} << source);
}

std::optional<Constraint> asConstraint(const CompiledExpr* term, int source) {
  if (term->isPositiveInList() && isColumnOf(term->left(), source)) {
    return Constraint{term, referencedColumn(term->left()), TokenType::In, nullptr};
  }
  if (term->op() != CompiledExpr::Op::Compare || term->token() == TokenType::Ne) {
    return std::nullopt;
  }
  const CompiledExpr* left = term->left();
  const CompiledExpr* right = term->right();
  if (isColumnOf(left, source) && isKnownBefore(right, source)) {
    return Constraint{term, referencedColumn(left), term->token(), right};
  }
  if (isColumnOf(right, source) && isKnownBefore(left, source)) {
    return Constraint{term, referencedColumn(right), mirrored(term->token()), left};
  }
  return std::nullopt;
}

bool isLowerBound(TokenType op) {
  return op == TokenType::Gt || op == TokenType::Ge;
}
bool isUpperBound(TokenType op) {
  return op == TokenType::Lt || op == TokenType::Le;
}

const Constraint* findConstraint(const std::vector<Constraint>& constraints, int column,
                                 bool (*accepts)(TokenType)) {
  for (const Constraint& constraint : constraints) {
    if (constraint.column == column && accepts(constraint.op)) return &constraint;
  }
  return nullptr;
}

bool isEquality(TokenType op) {
  return op == TokenType::Eq;
}
bool isInList(TokenType op) {
  return op == TokenType::In;
}

// How well an index answers the constraints: eight for each leading column given by "=",
// then two for a lower and one for an upper bound on the next column; four for an index that
// answers nothing else but an IN on its first column.
struct IndexChoice {
  int score = 0;
  std::vector<const Constraint*> equal;
  const Constraint* lower = nullptr;
  const Constraint* upper = nullptr;
  const Constraint* in = nullptr;
};
constexpr int kEqualityScore = 8;
constexpr int kInListScore = 4;

// Each term serves one index column at most: an index on (a, a) needs two terms on a.
IndexChoice scoreIndex(const Index& index, const std::vector<Constraint>& constraints) {
  IndexChoice choice;
  for (int column : index.columns) {
    const Constraint* equal = nullptr;
    for (const Constraint& constraint : constraints) {
      if (constraint.column != column || !isEquality(constraint.op)) continue;
      bool used = false;
      for (const Constraint* taken : choice.equal) used = used || taken == &constraint;
      if (!used) {
        equal = &constraint;
        break;
      }
    }
    if (!equal) break;
    choice.equal.push_back(equal);
  }
  choice.score = kEqualityScore * static_cast<int>(choice.equal.size());
  // A range term on a column serves that column's first place in the index only, as in 2.8:
  // over (a, a), "a = 1 AND a > 5" looks up a = 1 and tests a > 5 on each row.
  const auto nextPlace = index.columns.begin() + static_cast<std::ptrdiff_t>(choice.equal.size());
  if (nextPlace != index.columns.end() &&
      std::find(index.columns.begin(), nextPlace, *nextPlace) == nextPlace) {
    int next = *nextPlace;
    choice.lower = findConstraint(constraints, next, isLowerBound);
    choice.upper = findConstraint(constraints, next, isUpperBound);
    if (choice.lower) choice.score += 2;
    if (choice.upper) choice.score += 1;
  }
  if (choice.score == 0 && !index.columns.empty()) {
    choice.in = findConstraint(constraints, index.columns[0], isInList);
    if (choice.in) choice.score = kInListScore;
  }
  return choice;
}

// Whether the ORDER BY terms are index columns in index order (from the first column, or
// from the first column after those fixed by "="), all in one direction.
bool indexGivesOrder(const Index& index, size_t fixedColumns,
                     const std::vector<OrderColumn>& orderBy) {
  if (orderBy.empty()) return false;
  for (const OrderColumn& term : orderBy) {
    if (term.column < 0 || term.descending != orderBy[0].descending) return false;
  }
  auto matchesFrom = [&](size_t start) {
    if (start + orderBy.size() > index.columns.size()) return false;
    for (size_t i = 0; i < orderBy.size(); ++i) {
      if (index.columns[start + i] != orderBy[i].column) return false;
    }
    return true;
  };
  return matchesFrom(0) || (fixedColumns > 0 && matchesFrom(fixedColumns));
}

bool isRowNumberOrder(const Table& table, const std::vector<OrderColumn>& orderBy) {
  if (orderBy.size() != 1) return false;
  int column = orderBy[0].column;
  return column == OrderColumn::kRowNumber || (column >= 0 && column == table.rowNumberColumn);
}

void useIndex(AccessPlan& plan, const std::shared_ptr<Index>& index, const IndexChoice& choice,
              std::vector<const CompiledExpr*>& consumed) {
  plan.kind = AccessPlan::Kind::IndexScan;
  plan.index = index;
  for (const Constraint* equal : choice.equal) {
    plan.equalValues.push_back(equal->value);
    consumed.push_back(equal->term);
  }
  if (choice.lower) {
    plan.lower = IndexBound{choice.lower->value, choice.lower->op == TokenType::Ge};
    consumed.push_back(choice.lower->term);
  }
  if (choice.upper) {
    plan.upper = IndexBound{choice.upper->value, choice.upper->op == TokenType::Le};
    consumed.push_back(choice.upper->term);
  }
  if (choice.in) {
    plan.inTerm = choice.in->term;
    consumed.push_back(choice.in->term);
  }
}

// The WHERE terms that compare a column or the row number with a constant; the INTEGER
// PRIMARY KEY column counts as the row number.
std::vector<Constraint> constraintsOf(const Table& table,
                                      const std::vector<const CompiledExpr*>& terms, int source) {
  std::vector<Constraint> constraints;
  for (const CompiledExpr* term : terms) {
    if (std::optional<Constraint> constraint = asConstraint(term, source)) {
      if (constraint->column == table.rowNumberColumn && constraint->column >= 0) {
        constraint->column = OrderColumn::kRowNumber;
      }
      constraints.push_back(*constraint);
    }
  }
  return constraints;
}

struct ScoredIndex {
  std::shared_ptr<Index> index;  // null when no index answers any constraint
  IndexChoice choice;
};

// The index that answers the constraints best; of equal ones the first, that is the newest.
ScoredIndex bestIndexFor(const Table& table, const std::vector<Constraint>& constraints) {
  ScoredIndex best;
  for (const std::shared_ptr<Index>& index : table.indexes) {
    if (index->root == 0) continue;  // its schema row is missing: not usable
    IndexChoice choice = scoreIndex(*index, constraints);
    if (choice.score > best.choice.score) best = {index, choice};
  }
  return best;
}

void useRowNumberRange(AccessPlan& plan, const std::vector<Constraint>& constraints) {
  plan.kind = AccessPlan::Kind::RowNumberRange;
  for (const Constraint& constraint : constraints) {
    if (constraint.column != OrderColumn::kRowNumber) continue;
    IndexBound bound{constraint.value,
                     constraint.op == TokenType::Ge || constraint.op == TokenType::Le};
    if (isLowerBound(constraint.op)) plan.rowNumberLower.push_back(bound);
    if (isUpperBound(constraint.op)) plan.rowNumberUpper.push_back(bound);
  }
}

void walkInOrderByOrder(AccessPlan& plan, const std::vector<OrderColumn>& orderBy) {
  plan.providesOrder = true;
  plan.descending = orderBy[0].descending;
}

// An index whose order is the ORDER BY order spares the sort; the oldest such one.
void useIndexForOrder(AccessPlan& plan, const Table& table,
                      const std::vector<OrderColumn>& orderBy) {
  std::shared_ptr<Index> ordering;
  for (const std::shared_ptr<Index>& index : table.indexes) {
    if (index->root != 0 && indexGivesOrder(*index, 0, orderBy)) ordering = index;
  }
  if (!ordering) return;
  plan.kind = AccessPlan::Kind::IndexScan;
  plan.index = ordering;
  walkInOrderByOrder(plan, orderBy);
}

std::vector<const CompiledExpr*> termsLeftToCheck(
    const std::vector<const CompiledExpr*>& terms,
    const std::vector<const CompiledExpr*>& consumed) {
  std::vector<const CompiledExpr*> residual;
  for (const CompiledExpr* term : terms) {
    bool isConsumed = false;
    for (const CompiledExpr* used : consumed) isConsumed = isConsumed || used == term;
    if (!isConsumed) residual.push_back(term);
  }
  return residual;
}

}  // namespace

void splitConjunction(const CompiledExpr* expr, std::vector<const CompiledExpr*>& terms) {
  if (expr->op() == CompiledExpr::Op::And) {
    splitConjunction(expr->left(), terms);
    splitConjunction(expr->right(), terms);
  } else {
    terms.push_back(expr);
  }
}

std::optional<int> constrainedColumn(const CompiledExpr* term, int source) {
  std::optional<Constraint> constraint = asConstraint(term, source);
  if (!constraint) return std::nullopt;
  return constraint->column;
}

AccessPlan planAccess(const Table& table, const CompiledExpr* where,
                      const std::vector<OrderColumn>& orderBy) {
  std::vector<const CompiledExpr*> terms;
  if (where) splitConjunction(where, terms);
  return planAccess(table, terms, orderBy, 0);
}

AccessPlan planAccess(const Table& table, const std::vector<const CompiledExpr*>& terms,
                      const std::vector<OrderColumn>& orderBy, int source) {
  AccessPlan plan;
  std::vector<Constraint> constraints = constraintsOf(table, terms, source);

  std::vector<const CompiledExpr*> consumed;
  const Constraint* rowNumberEqual =
      findConstraint(constraints, OrderColumn::kRowNumber, isEquality);
  const Constraint* rowNumberIn = findConstraint(constraints, OrderColumn::kRowNumber, isInList);
  bool hasRowNumberRange = findConstraint(constraints, OrderColumn::kRowNumber, isLowerBound) ||
                           findConstraint(constraints, OrderColumn::kRowNumber, isUpperBound);
  ScoredIndex best = bestIndexFor(table, constraints);

  if (rowNumberEqual) {
    plan.kind = AccessPlan::Kind::RowNumberEquals;
    plan.rowNumberValue = rowNumberEqual->value;
    plan.providesOrder = true;  // one row at most
    // The lookup finds a row only for a value that is exactly its row number, which the
    // numeric comparison of the term would find equal again.
    consumed.push_back(rowNumberEqual->term);
  } else if (rowNumberIn) {
    // Each value is looked up as the row number it converts to exactly; rows come in the
    // order of the values, and one found by two values comes twice.
    plan.kind = AccessPlan::Kind::RowNumberIn;
    plan.inTerm = rowNumberIn->term;
    consumed.push_back(rowNumberIn->term);
  } else if (best.index && (best.choice.score >= kInListScore || !hasRowNumberRange)) {
    useIndex(plan, best.index, best.choice, consumed);
    if (!plan.inTerm && indexGivesOrder(*best.index, best.choice.equal.size(), orderBy)) {
      walkInOrderByOrder(plan, orderBy);
    }
  } else {
    if (hasRowNumberRange) useRowNumberRange(plan, constraints);
    if (isRowNumberOrder(table, orderBy)) {
      walkInOrderByOrder(plan, orderBy);
    } else if (!hasRowNumberRange && !orderBy.empty()) {
      useIndexForOrder(plan, table, orderBy);
    }
  }
  plan.residual = termsLeftToCheck(terms, consumed);
  return plan;
}

}  // namespace sqlite2
