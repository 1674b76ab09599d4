#include "sql/run/view_triggers.h"
#include "sql/run/select_statement.h"

#include "common/error.h"
#include "sql/run/expression.h"
#include "sql/run/insert_rows.h"
#include "sql/run/session.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// The view as a table whose columns are those of its query: what NEW, OLD and the statement's
// names refer to; and its rows (none while the triggers are only prepared).
struct ViewRows {
  Table shape;
  std::vector<OutputRow> rows;
};

ViewRows readView(Session& session, const Table& view) {
  ViewRows result;
  result.shape.name = view.name;
  result.shape.isView = true;
  if (session.preparingTriggers) {
    for (std::string& name : viewColumnNames(session, view)) {
      Column column;
      column.name = std::move(name);
      column.text = true;
      result.shape.columns.push_back(std::move(column));
    }
    return result;
  }
  Select all;
  ResultColumn star;
  star.kind = ResultColumn::Kind::AllColumns;
  all.columns.push_back(std::move(star));
  FromItem item;
  item.table = view.name;
  all.from.push_back(std::move(item));
  QueryRows found = collectSelect(session, all);
  for (size_t i = 0; i < found.tableColumns.size(); ++i) {
    Column column;
    column.name = found.tableColumns[i];
    column.text = found.textColumns[i];
    result.shape.columns.push_back(std::move(column));
  }
  result.rows = std::move(found.rows);
  return result;
}

// Prepares the triggers for the view's rows; false when that is all there is to do.
bool prepared(Session& session, RowTriggers& triggers, const Table& shape) {
  session.throwHeldError();
  triggers.describeRowsBy(shape);
  triggers.prepare();
  if (session.preparingTriggers) return false;
  session.statementStarted = true;
  return true;
}

// The rows the WHERE clause chooses, each numbered by its place among all of the view's.
std::vector<TriggerRow> chosenRows(const std::vector<OutputRow>& rows, const CompiledExpr* where) {
  std::vector<TriggerRow> chosen;
  for (size_t i = 0; i < rows.size(); ++i) {
    EvalContext context;
    context.values = rows[i].data();
    if (!where || where->isSatisfied(context)) {
      chosen.push_back(TriggerRow{rows[i], static_cast<int32_t>(i + 1)});
    }
  }
  return chosen;
}

Value valueOf(const SqlValue& value) {
  return value.isNull() ? Value() : Value(std::string(value.text()));
}

// The positions a column list names, or one per column without a list.
std::vector<int> insertPositions(const Table& shape, const Insert& insert, size_t valueCount) {
  std::vector<int> positions;
  if (!insert.columns) {
    if (valueCount != shape.columns.size()) {
      throw Error(SQLITE_ERROR, "table " + shape.name + " has " +
                                    std::to_string(shape.columns.size()) + " columns but " +
                                    std::to_string(valueCount) + " values were supplied");
    }
    for (size_t i = 0; i < valueCount; ++i) positions.push_back(static_cast<int>(i));
    return positions;
  }
  if (valueCount != insert.columns->size()) {
    throw Error(SQLITE_ERROR, std::to_string(valueCount) + " values for " +
                                  std::to_string(insert.columns->size()) + " columns");
  }
  for (const std::string& name : *insert.columns) {
    int position = shape.findColumn(name);
    if (position < 0) {
      throw Error(SQLITE_ERROR, "table " + shape.name + " has no column named " + name);
    }
    positions.push_back(position);
  }
  return positions;
}

}  // namespace

void insertIntoView(Session& session, const Table& view, const Insert& insert,
                    RowTriggers& triggers) {
  size_t valueCount = 0;
  std::vector<std::vector<SqlValue>> rows;
  if (session.preparingTriggers) {
    valueCount = insert.select ? prepareSelect(session, *insert.select) : insert.values.size();
  } else {
    rows = rowsToInsert(session, insert, valueCount);
  }
  ViewRows viewRows = readView(session, view);
  const Table& shape = viewRows.shape;
  std::vector<int> positions = insertPositions(shape, insert, valueCount);
  if (!prepared(session, triggers, shape)) return;
  for (const std::vector<SqlValue>& values : rows) {
    TriggerRow newRow{std::vector<Value>(shape.columns.size()), -1};
    for (size_t i = 0; i < values.size(); ++i) {
      newRow.values[static_cast<size_t>(positions[i])] = valueOf(values[i]);
    }
    if (triggers.fire(TriggerTiming::InsteadOf, nullptr, &newRow)) ++session.rowsReportedOnly;
  }
}

void updateView(Session& session, const Table& view, const Update& update, RowTriggers& triggers) {
  ViewRows viewRows = readView(session, view);
  const Table& shape = viewRows.shape;
  ExpressionCompiler compiler(&shape, shape.name, &session);
  std::vector<std::pair<int, CompiledExprPtr>> assigned;
  for (const Assignment& assignment : update.assignments) {
    CompiledExprPtr value = compiler.compile(*assignment.value);
    int column = shape.findColumn(assignment.column);
    if (column < 0) throw Error(SQLITE_ERROR, "no such column: " + assignment.column);
    assigned.emplace_back(column, std::move(value));
  }
  CompiledExprPtr where = update.where ? compiler.compile(*update.where) : nullptr;
  if (!prepared(session, triggers, shape)) return;
  for (const TriggerRow& oldRow : chosenRows(viewRows.rows, where.get())) {
    EvalContext context;
    context.values = oldRow.values.data();
    TriggerRow newRow = oldRow;
    for (const auto& [column, value] : assigned) {
      newRow.values[static_cast<size_t>(column)] = valueOf(value->evaluate(context));
    }
    triggers.fire(TriggerTiming::InsteadOf, &oldRow, &newRow);
  }
}

void deleteFromView(Session& session, const Table& view, const Delete& del, RowTriggers& triggers) {
  ViewRows viewRows = readView(session, view);
  const Table& shape = viewRows.shape;
  ExpressionCompiler compiler(&shape, shape.name, &session);
  CompiledExprPtr where = del.where ? compiler.compile(*del.where) : nullptr;
  if (!prepared(session, triggers, shape)) return;
  for (const TriggerRow& oldRow : chosenRows(viewRows.rows, where.get())) {
    if (triggers.fire(TriggerTiming::InsteadOf, &oldRow, nullptr)) ++session.rowsReportedOnly;
  }
}

}  // namespace sqlite2
