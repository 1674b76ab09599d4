#include "sql/run/write_statements.h"

#include <optional>
#include <string>
#include <vector>

#include "btree/btree.h"
#include "common/error.h"
#include "sql/run/access_plan.h"
#include "sql/run/expression.h"
#include "sql/run/insert_rows.h"
#include "sql/run/row_scanner.h"
#include "sql/run/session.h"
#include "sql/run/table_writer.h"
#include "sql/run/trigger_firing.h"
#include "sql/run/view_triggers.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr int kRowNumberTarget = -2;

Value storedValue(const SqlValue& value) {
  return value.isNull() ? Value() : Value(std::string(value.text()));
}

// Where each value of an INSERT with a column list goes: a column position or
// kRowNumberTarget.
std::vector<int> insertTargets(const Table& table, const std::string& shownName,
                               const Insert& insert, size_t valueCount) {
  std::vector<int> targets;
  targets.reserve(valueCount);
  for (const std::string& name : *insert.columns) {
    int column = table.findColumn(name);
    if (column < 0 && isRowNumberName(name)) column = kRowNumberTarget;
    if (column == -1) {
      throw Error(SQLITE_ERROR, "table " + shownName + " has no column named " + name);
    }
    targets.push_back(column);
  }
  return targets;
}

// The row numbers a WHERE clause selects, gathered before anything changes.
std::vector<int32_t> selectedRowNumbers(Session& session, const Table& table,
                                        const CompiledExpr* where) {
  AccessPlan plan = planAccess(table, where, {});
  RowScanner scanner(session.treeOf(table), table, plan);
  std::vector<int32_t> rowNumbers;
  while (scanner.next()) rowNumbers.push_back(scanner.rowNumber());
  return rowNumbers;
}

int countRows(Session& session, const Table& table) {
  Cursor cursor(session.treeOf(table), table.root, false);
  int count = 0;
  for (bool more = cursor.first(); more; more = cursor.next()) ++count;
  return count;
}

// Checks that the statement may write the table's rows, and brings the table's database into
// the transaction.
void startWritingRows(Session& session, const Table& table) {
  session.requireWritable(table);
  session.requireNotBeingRead(table);
  session.startWriting(table);
}

}  // namespace

namespace {

// The row an INSERT makes: each column's value as stored, the INTEGER PRIMARY KEY's slot
// NULL, and the row number value given, if any.
struct NewRow {
  std::vector<Value> values;
  std::optional<SqlValue> rowNumber;
};

// The messages name the table as the statement writes it, with its database when one is
// written; a step of a trigger of the file names it as main.name.
std::string nameInMessages(const Session& session, const Insert& insert) {
  if (!insert.database.empty()) return insert.database + "." + insert.table;
  return session.triggers.insideFileTrigger() ? "main." + insert.table : insert.table;
}

void checkValueCount(const Table& table, const std::string& shownName, const Insert& insert,
                     size_t valueCount) {
  if (!insert.columns && valueCount != table.columns.size()) {
    throw Error(SQLITE_ERROR, "table " + shownName + " has " +
                                  std::to_string(table.columns.size()) + " columns but " +
                                  std::to_string(valueCount) + " values were supplied");
  }
  if (insert.columns && valueCount != insert.columns->size()) {
    throw Error(SQLITE_ERROR, std::to_string(valueCount) + " values for " +
                                  std::to_string(insert.columns->size()) + " columns");
  }
}

// INSERT INTO t VALUES(...): a value for each column in turn.
NewRow rowOfAllColumns(const Table& table, std::vector<SqlValue>& values) {
  NewRow row;
  row.values.resize(table.columns.size());
  for (size_t i = 0; i < values.size(); ++i) {
    if (static_cast<int>(i) == table.rowNumberColumn) {
      row.rowNumber = std::move(values[i]);
    } else {
      row.values[i] = storedValue(values[i]);
    }
  }
  return row;
}

// INSERT INTO t(columns) VALUES(...): the columns left out take their defaults.
NewRow rowOfNamedColumns(const Table& table, const std::vector<int>& targets,
                         std::vector<SqlValue>& values) {
  NewRow row;
  row.values.resize(table.columns.size());
  std::vector<bool> given(table.columns.size(), false);
  for (size_t i = 0; i < values.size(); ++i) {
    // A column named twice takes its first value; the row number its last.
    int target = targets[i];
    if (target == kRowNumberTarget || target == table.rowNumberColumn) {
      row.rowNumber = std::move(values[i]);
      continue;
    }
    if (given[target]) continue;
    row.values[target] = storedValue(values[i]);
    given[target] = true;
  }
  for (size_t i = 0; i < row.values.size(); ++i) {
    if (!given[i] && static_cast<int>(i) != table.rowNumberColumn) {
      row.values[i] = table.columns[i].defaultValue;
    }
  }
  return row;
}

// The values NEW holds before the row is written: the row number -1 unless given (an INTEGER
// PRIMARY KEY reads the same), as in the reference library.
TriggerRow rowBeforeInsert(const NewRow& row, std::optional<int32_t> givenRowNumber) {
  return TriggerRow{row.values, givenRowNumber ? *givenRowNumber : -1};
}

// SQLite 2.8 checks that a given row number is an integer before the BEFORE triggers for
// INSERT ... VALUES, and after them for INSERT ... SELECT (keyCheckedLate), where a trigger
// that ignores the row spares it the check.
void insertRow(Session& session, TableWriter& writer, NewRow& row, RowTriggers* triggers,
               bool keyCheckedLate = false) {
  std::optional<int32_t> givenRowNumber;
  const bool keyGiven = row.rowNumber && !row.rowNumber->isNull();
  if (keyGiven) {
    givenRowNumber = keyCheckedLate ? exactRowNumber(row.rowNumber->text())
                                    : requireRowNumber(row.rowNumber->text());
  }
  if (triggers && triggers->any(TriggerTiming::Before)) {
    TriggerRow before = rowBeforeInsert(row, givenRowNumber);
    bool go = triggers->fire(TriggerTiming::Before, nullptr, &before);
    writer.forgetNextRowNumber();
    if (!go) return;
  }
  if (keyGiven && !givenRowNumber) throw Error(SQLITE_MISMATCH);
  // A new row takes its number before its checks, as in SQLite 2.8: one that a NOT NULL
  // ... ON CONFLICT IGNORE skips uses up its number, and the statement's next row takes the
  // one after it.
  const int32_t rowNumber = givenRowNumber ? *givenRowNumber : writer.chooseRowNumber();
  if (!writer.checkNotNull(row.values)) return;
  if (givenRowNumber && !writer.checkRowNumberFree(rowNumber)) return;
  if (!writer.checkUnique(rowNumber, row.values, std::nullopt)) return;
  writer.insertRow(rowNumber, row.values);
  ++session.changes;
  session.lastInsertRowid = rowNumber;
  if (triggers && triggers->any(TriggerTiming::After)) {
    TriggerRow after{row.values, rowNumber};
    triggers->fire(TriggerTiming::After, nullptr, &after);
    writer.forgetNextRowNumber();
  }
}

}  // namespace

void insertValuesOfAllColumns(Session& session, TableWriter& writer, const Table& table,
                              std::vector<SqlValue>& values) {
  NewRow row = rowOfAllColumns(table, values);
  insertRow(session, writer, row, nullptr);
}

void runInsert(Session& session, const Insert& insert) {
  std::shared_ptr<Table> table = session.table(insert.database, insert.table);
  ConflictAction conflict = session.triggers.effectiveConflict(insert.conflict);
  RowTriggers triggers(session, *table, TriggerEvent::Insert, conflict);
  if (table->isView && triggers.any(TriggerTiming::InsteadOf)) {
    insertIntoView(session, *table, insert, triggers);
    return;
  }
  startWritingRows(session, *table);
  size_t valueCount = 0;
  std::vector<std::vector<SqlValue>> rows;
  if (session.preparingTriggers) {
    valueCount = prepareInsertValues(session, insert);
  } else {
    rows = rowsToInsert(session, insert, valueCount);
  }
  const std::string shownName = nameInMessages(session, insert);
  checkValueCount(*table, shownName, insert, valueCount);
  std::vector<int> targets;
  if (insert.columns) targets = insertTargets(*table, shownName, insert, valueCount);
  session.throwHeldError();
  triggers.prepare();
  if (session.preparingTriggers) return;
  session.statementStarted = true;

  TableWriter writer(session, *table, conflict);
  for (std::vector<SqlValue>& values : rows) {
    NewRow row = insert.columns ? rowOfNamedColumns(*table, targets, values)
                                : rowOfAllColumns(*table, values);
    insertRow(session, writer, row, &triggers, insert.select != nullptr);
  }
}

namespace {

// What an UPDATE assigns: one expression per assigned column (the last assignment of a column
// wins), and the new row number when the row number or the INTEGER PRIMARY KEY is assigned.
struct CompiledAssignments {
  std::vector<CompiledExprPtr> columns;
  CompiledExprPtr rowNumber;
};

CompiledAssignments compileAssignments(const Table& table, ExpressionCompiler& compiler,
                                       const std::vector<Assignment>& assignments) {
  CompiledAssignments compiled;
  compiled.columns.resize(table.columns.size());
  for (const Assignment& assignment : assignments) {
    // Each assignment's value is compiled before its column is looked up: in `zz = x` both
    // are unknown, and x is the one reported.
    CompiledExprPtr value = compiler.compile(*assignment.value);
    int column = table.findColumn(assignment.column);
    if (column < 0 && !isRowNumberName(assignment.column)) {
      throw Error(SQLITE_ERROR, "no such column: " + assignment.column);
    }
    if (column < 0 || column == table.rowNumberColumn) {
      compiled.rowNumber = std::move(value);
    } else {
      compiled.columns[column] = std::move(value);
    }
  }
  return compiled;
}

std::vector<std::string> assignedColumns(const Update& update) {
  std::vector<std::string> names;
  for (const Assignment& assignment : update.assignments) names.push_back(assignment.column);
  return names;
}

// The row as an UPDATE makes it from the row as it stands.
struct UpdatedRow {
  std::vector<Value> old;
  std::vector<Value> values;
  int32_t target = 0;
  bool targetInvalid = false;  // the new row number is no integer (SQLITE_MISMATCH)
  // What NEW.rowid shows the triggers: the new number where an integer or an expression of
  // the row gave it; for a constant of another kind (8.0, '7') the old one, as in SQLite 2.8
  // (which checks the number only once the BEFORE triggers have run). 2.8 shows the old
  // number, or another, for one computed from the row too.
  int32_t targetSeenByTriggers = 0;
};

std::optional<UpdatedRow> computeUpdate(TableWriter& writer, int32_t rowNumber,
                                        const CompiledAssignments& assigned) {
  std::string oldRecord;
  std::optional<std::vector<Value>> old = writer.readRow(rowNumber, &oldRecord);
  if (!old) return std::nullopt;
  RecordView record(oldRecord);
  EvalContext row;
  row.rowNumber = rowNumber;
  row.record = &record;
  UpdatedRow updated{*old, *old, rowNumber, false, rowNumber};
  for (size_t i = 0; i < assigned.columns.size(); ++i) {
    if (assigned.columns[i]) updated.values[i] = storedValue(assigned.columns[i]->evaluate(row));
  }
  if (assigned.rowNumber) {
    SqlValue value = assigned.rowNumber->evaluate(row);
    std::optional<int32_t> target = value.isNull() ? std::nullopt : exactRowNumber(value.text());
    updated.targetInvalid = !target;
    updated.target = target.value_or(rowNumber);
    if (value.kind() == SqlValue::Kind::Integer || !assigned.rowNumber->isConstant()) {
      updated.targetSeenByTriggers = updated.target;
    }
  }
  return updated;
}

// Rewrites one row; false when it is gone already, or a trigger or a conflict leaves it.
bool updateRow(TableWriter& writer, int32_t rowNumber, const CompiledAssignments& assigned,
               RowTriggers& triggers) {
  std::optional<UpdatedRow> row = computeUpdate(writer, rowNumber, assigned);
  if (!row) return false;
  if (triggers.any(TriggerTiming::Before)) {
    TriggerRow oldRow{row->old, rowNumber}, newRow{row->values, row->targetSeenByTriggers};
    if (!triggers.fire(TriggerTiming::Before, &oldRow, &newRow)) return false;
    // A trigger may have deleted or changed the row: it is updated as it now stands.
    row = computeUpdate(writer, rowNumber, assigned);
    if (!row) return false;
  }
  if (row->targetInvalid) throw Error(SQLITE_MISMATCH);
  // NEW of the AFTER triggers holds the values as assigned, before REPLACE puts a column's
  // default in place of NULL (as in the reference library, unlike for INSERT).
  TriggerRow newRow{row->values, row->targetSeenByTriggers};
  if (!writer.checkNotNull(row->values)) return false;
  if (row->target != rowNumber && !writer.checkRowNumberFree(row->target)) return false;
  if (!writer.checkUnique(row->target, row->values, rowNumber)) return false;
  if (row->target == rowNumber) {
    writer.removeIndexEntries(rowNumber, row->old);
  } else {
    writer.removeRow(rowNumber, row->old);
  }
  writer.insertRow(row->target, row->values);
  if (triggers.any(TriggerTiming::After)) {
    TriggerRow oldRow{row->old, rowNumber};
    triggers.fire(TriggerTiming::After, &oldRow, &newRow);
  }
  return true;
}

}  // namespace

void runUpdate(Session& session, const Update& update) {
  std::shared_ptr<Table> table = session.table(update.database, update.table);
  ConflictAction conflict = session.triggers.effectiveConflict(update.conflict);
  RowTriggers triggers(session, *table, TriggerEvent::Update, conflict, assignedColumns(update));
  if (table->isView && triggers.any(TriggerTiming::InsteadOf)) {
    updateView(session, *table, update, triggers);
    return;
  }
  startWritingRows(session, *table);
  ExpressionCompiler compiler(table.get(), table->name, &session);
  CompiledAssignments assigned = compileAssignments(*table, compiler, update.assignments);
  CompiledExprPtr where = update.where ? compiler.compile(*update.where) : nullptr;
  session.throwHeldError();
  triggers.prepare();
  if (session.preparingTriggers) return;
  session.statementStarted = true;

  std::vector<int32_t> rowNumbers = selectedRowNumbers(session, *table, where.get());
  TableWriter writer(session, *table, conflict);
  for (int32_t rowNumber : rowNumbers) {
    if (updateRow(writer, rowNumber, assigned, triggers)) ++session.changes;
  }
}

namespace {

// Deletes the rows one by one, each between its triggers.
void deleteRows(Session& session, const Table& table, const std::vector<int32_t>& rowNumbers,
                RowTriggers& triggers) {
  TableWriter writer(session, table);
  for (int32_t rowNumber : rowNumbers) {
    std::optional<std::vector<Value>> old = writer.readRow(rowNumber);
    if (!old) continue;
    TriggerRow oldRow{*old, rowNumber};
    if (triggers.any(TriggerTiming::Before)) {
      if (!triggers.fire(TriggerTiming::Before, &oldRow, nullptr)) continue;
      old = writer.readRow(rowNumber);  // a trigger may have deleted or changed it
      if (!old) continue;
      oldRow.values = *old;
    }
    writer.removeRow(rowNumber, *old);
    ++session.changes;
    if (triggers.any(TriggerTiming::After)) triggers.fire(TriggerTiming::After, &oldRow, nullptr);
  }
}

// DELETE without WHERE on a table without DELETE triggers: emptied wholesale, which the
// reference library does not count as changes (PRAGMA count_changes still reports the rows).
void clearTable(Session& session, const Table& table) {
  if (session.settings.countChanges) session.rowsReportedOnly += countRows(session, table);
  session.treeOf(table).clearTree(table.root);
  for (const std::shared_ptr<Index>& index : table.indexes) {
    if (index->root != 0) session.treeOf(table).clearTree(index->root);
  }
}

}  // namespace

void runDelete(Session& session, const Delete& del) {
  std::shared_ptr<Table> table = session.table(del.database, del.table);
  RowTriggers triggers(session, *table, TriggerEvent::Delete);
  if (table->isView && triggers.any(TriggerTiming::InsteadOf)) {
    deleteFromView(session, *table, del, triggers);
    return;
  }
  startWritingRows(session, *table);
  ExpressionCompiler compiler(table.get(), table->name, &session);
  CompiledExprPtr where = del.where ? compiler.compile(*del.where) : nullptr;
  session.throwHeldError();
  triggers.prepare();
  if (session.preparingTriggers) return;
  session.statementStarted = true;
  if (!del.where && !triggers.any(TriggerTiming::Before) && !triggers.any(TriggerTiming::After)) {
    clearTable(session, *table);
    return;
  }
  std::vector<int32_t> rowNumbers = selectedRowNumbers(session, *table, where.get());
  deleteRows(session, *table, rowNumbers, triggers);
}

}  // namespace sqlite2
