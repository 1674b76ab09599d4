#include "sql/view_query.h"

#include "common/error.h"
#include "sql/schema.h"
#include "sql/session.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

void fixExpression(Expr* expr, std::string_view database) {
  if (!expr) return;
  if (expr->select) fixToDatabase(*expr->select, database);
  fixExpression(expr->left.get(), database);
  fixExpression(expr->right.get(), database);
  for (ExprPtr& item : expr->list) fixExpression(item.get(), database);
}

void checkOneSelect(const Session& session, const Table& view, const Select& select) {
  for (const FromItem& item : select.from) {
    if (item.subquery) {
      checkViewSources(session, view, *item.subquery);
      continue;
    }
    // A view of a file may only read that file: the other databases come and go with the
    // connection.
    if (!view.temporary && !sameName(item.database, "main")) {
      throw Error(SQLITE_ERROR,
                  "view " + view.name + " cannot reference objects in database " + item.database);
    }
    session.table(item);
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

void fixToDatabase(Select& select, std::string_view database) {
  for (FromItem& item : select.from) {
    if (item.subquery) {
      fixToDatabase(*item.subquery, database);
    } else if (item.database.empty()) {
      item.database = database;
    }
    fixExpression(item.on.get(), database);
  }
  for (ResultColumn& column : select.columns) fixExpression(column.expr.get(), database);
  fixExpression(select.where.get(), database);
  for (ExprPtr& term : select.groupBy) fixExpression(term.get(), database);
  fixExpression(select.having.get(), database);
  for (OrderTerm& term : select.orderBy) fixExpression(term.expr.get(), database);
  for (CompoundPart& part : select.compound) fixToDatabase(*part.select, database);
}

void checkViewSources(const Session& session, const Table& view, const Select& select) {
  checkOneSelect(session, view, select);
  for (const CompoundPart& part : select.compound) checkOneSelect(session, view, *part.select);
}

}  // namespace sqlite2
