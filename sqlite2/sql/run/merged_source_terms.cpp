#include "sql/run/merged_source_terms.h"

#include "common/ascii_case.h"

namespace sqlite2 {

namespace {

// The place in sourceTable of the column a name node reads, or -1.
int columnNamed(const Expr& name, const std::string& sourceName, const Table& sourceTable) {
  if (name.kind == ExprKind::QualifiedName &&
      (!name.database.empty() || !sameName(name.qualifier, sourceName))) {
    return -1;
  }
  return sourceTable.findColumn(name.text);
}

ExprPtr copyOf(const Expr& expr) {
  auto copy = std::make_unique<Expr>();
  copy->kind = expr.kind;
  copy->op = expr.op;
  copy->text = expr.text;
  copy->qualifier = expr.qualifier;
  copy->database = expr.database;
  copy->quoted = expr.quoted;
  copy->source = expr.source;
  copy->negated = expr.negated;
  copy->star = expr.star;
  copy->height = expr.height;
  if (expr.left) copy->left = copyOf(*expr.left);
  if (expr.right) copy->right = copyOf(*expr.right);
  for (const ExprPtr& item : expr.list) copy->list.push_back(copyOf(*item));
  copy->select = expr.select;
  return copy;
}

}  // namespace

void splitConjunction(const Expr& expr, std::vector<const Expr*>& terms) {
  if (expr.kind == ExprKind::Binary && expr.op == TokenType::And) {
    splitConjunction(*expr.left, terms);
    splitConjunction(*expr.right, terms);
  } else {
    terms.push_back(&expr);
  }
}

bool readsOnlySource(const Expr& term, const std::string& sourceName, const Table& sourceTable) {
  switch (term.kind) {
    case ExprKind::Name:
    case ExprKind::QualifiedName:
      return columnNamed(term, sourceName, sourceTable) >= 0;
    case ExprKind::Subquery:
    case ExprKind::InSelect:
    case ExprKind::Raise:
    case ExprKind::TableStar:
      return false;
    default:
      break;
  }
  if (term.left && !readsOnlySource(*term.left, sourceName, sourceTable)) return false;
  if (term.right && !readsOnlySource(*term.right, sourceName, sourceTable)) return false;
  for (const ExprPtr& item : term.list) {
    if (!readsOnlySource(*item, sourceName, sourceTable)) return false;
  }
  return true;
}

ExprPtr termOverResults(const Expr& term, const std::string& sourceName, const Table& sourceTable,
                        const std::vector<const Expr*>& results) {
  if (term.kind == ExprKind::Name || term.kind == ExprKind::QualifiedName) {
    const int column = columnNamed(term, sourceName, sourceTable);
    return copyOf(*results.at(static_cast<size_t>(column)));
  }
  ExprPtr copy = copyOf(term);
  if (term.left) copy->left = termOverResults(*term.left, sourceName, sourceTable, results);
  if (term.right) copy->right = termOverResults(*term.right, sourceName, sourceTable, results);
  for (size_t i = 0; i < term.list.size(); ++i) {
    copy->list[i] = termOverResults(*term.list[i], sourceName, sourceTable, results);
  }
  return copy;
}

}  // namespace sqlite2
