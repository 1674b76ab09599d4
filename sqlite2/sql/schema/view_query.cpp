#include "sql/schema/view_query.h"

#include "common/ascii_case.h"
#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

void fixExpression(Expr* expr, std::string_view database, std::string* other) {
  if (!expr) return;
  if (expr->select) fixToDatabase(*expr->select, database, other);
  fixExpression(expr->left.get(), database, other);
  fixExpression(expr->right.get(), database, other);
  for (ExprPtr& item : expr->list) fixExpression(item.get(), database, other);
}

}  // namespace

void fixToDatabase(Expr& expr, std::string_view database, std::string* other) {
  fixExpression(&expr, database, other);
}

void fixToDatabase(Select& select, std::string_view database, std::string* other) {
  for (FromItem& item : select.from) {
    if (item.subquery) {
      fixToDatabase(*item.subquery, database, other);
    } else if (item.database.empty()) {
      item.database = database;
    } else if (other && other->empty() && !sameName(item.database, database)) {
      *other = item.database;
    }
    fixExpression(item.on.get(), database, other);
  }
  for (ResultColumn& column : select.columns) fixExpression(column.expr.get(), database, other);
  fixExpression(select.where.get(), database, other);
  // As in 2.8, the sub-selects of GROUP BY and ORDER BY keep their names as written: they
  // find a TEMP table of that name first.
  fixExpression(select.having.get(), database, other);
  for (CompoundPart& part : select.compound) fixToDatabase(*part.select, database, other);
}

void forEachTableRead(const Select& select, const std::function<void(const FromItem&)>& visit) {
  for (const FromItem& item : select.from) {
    if (item.subquery) {
      forEachTableRead(*item.subquery, visit);
    } else {
      visit(item);
    }
  }
  for (const CompoundPart& part : select.compound) forEachTableRead(*part.select, visit);
}

void forEachTableNamed(const Select& select, const std::function<void(const FromItem&)>& visit) {
  const Select& last = select.compound.empty() ? select : *select.compound.back().select;
  for (const FromItem& item : last.from) {
    if (item.subquery) {
      forEachTableNamed(*item.subquery, visit);
    } else {
      visit(item);
    }
  }
}

}  // namespace sqlite2
