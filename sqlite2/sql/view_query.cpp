#include "sql/view_query.h"

#include "common/error.h"
#include "sql/schema.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

void fixExpression(Expr* expr) {
  if (!expr) return;
  if (expr->select) fixToMainDatabase(*expr->select);
  fixExpression(expr->left.get());
  fixExpression(expr->right.get());
  for (ExprPtr& item : expr->list) fixExpression(item.get());
}

void checkOneSelect(const Schema& schema, const Select& select) {
  for (const FromItem& item : select.from) {
    if (item.subquery) {
      checkViewSources(schema, *item.subquery);
    } else if (std::shared_ptr<Table> found = schema.findTable(item.table);
               !found || (found->temporary && item.database == "main")) {
      std::string prefix = item.database.empty() ? "" : item.database + ".";
      throw Error(SQLITE_ERROR, "no such table: " + prefix + item.table);
    }
  }
  for (const ResultColumn& column : select.columns) {
    if (column.kind != ResultColumn::Kind::TableColumns) continue;
    bool found = false;
    for (const FromItem& item : select.from) {
      found = found || sameName(item.alias ? *item.alias : item.table, column.qualifier);
    }
    if (!found) throw Error(SQLITE_ERROR, "no such table: " + column.qualifier);
  }
}

}  // namespace

void fixToMainDatabase(Expr& expr) {
  fixExpression(&expr);
}

void fixToMainDatabase(Select& select) {
  for (FromItem& item : select.from) {
    if (item.subquery) {
      fixToMainDatabase(*item.subquery);
    } else if (item.database.empty()) {
      item.database = "main";
    }
    fixExpression(item.on.get());
  }
  for (ResultColumn& column : select.columns) fixExpression(column.expr.get());
  fixExpression(select.where.get());
  for (ExprPtr& term : select.groupBy) fixExpression(term.get());
  fixExpression(select.having.get());
  for (OrderTerm& term : select.orderBy) fixExpression(term.expr.get());
  for (CompoundPart& part : select.compound) fixToMainDatabase(*part.select);
}

void checkViewSources(const Schema& schema, const Select& select) {
  checkOneSelect(schema, select);
  for (const CompoundPart& part : select.compound) checkOneSelect(schema, *part.select);
}

}  // namespace sqlite2
