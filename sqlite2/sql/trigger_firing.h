#pragma once

// Running the triggers of a table for each row an INSERT, UPDATE or DELETE changes (or, for
// a view, is asked to change), and what their bodies see while they run: NEW and OLD, the
// conflict choice the firing statement passes on, RAISE().

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/value.h"
#include "sql/ast.h"
#include "sql/schema.h"
#include "sql/sql_value.h"

namespace sqlite2 {

struct ScalarFunction;
struct Session;

// A row as a trigger sees it under NEW or OLD: a value per column as stored, and its row
// number (-1 for a new row whose number is not chosen yet).
struct TriggerRow {
  std::vector<Value> values;
  int32_t rowNumber = -1;
};

// One trigger running for one row. The session keeps the frames of the triggers running,
// innermost last: a trigger never fires again while it runs.
struct TriggerFrame {
  const Trigger* trigger = nullptr;
  const Table* table = nullptr;
  const TriggerRow* oldRow = nullptr;
  const TriggerRow* newRow = nullptr;
  // The OR choice of the statement that fired it, which overrides its steps' own.
  ConflictAction conflict = ConflictAction::Default;
};

// The triggers of one statement on one table that may fire, chosen when the statement
// starts: those of its event (for UPDATE, of the columns it sets) that are not running.
class RowTriggers {
 public:
  RowTriggers(Session& session, const Table& table, TriggerEvent event,
              ConflictAction conflict = ConflictAction::Default,
              const std::vector<std::string>& assignedColumns = {});

  bool any(TriggerTiming timing) const;
  // Resolves the names of every trigger's WHEN clause and steps, and of the triggers those
  // steps may fire in turn, without running anything: a trigger that names a missing table
  // or column fails the statement before it starts, whether or not it would fire, as the
  // reference library compiles triggers with the statement.
  void prepare();
  // What NEW and OLD read for a view: the columns of its query.
  void describeRowsBy(const Table& shape) { rowShape_ = &shape; }
  // Runs the triggers of that timing for one row, newest first. False when one of them
  // ended with RAISE(IGNORE): the statement leaves this row alone and goes on with the next.
  bool fire(TriggerTiming timing, const TriggerRow* oldRow, const TriggerRow* newRow);

 private:
  bool fireOne(const Trigger& trigger, const TriggerRow* oldRow, const TriggerRow* newRow);

  Session& session_;
  TriggerEvent event_;
  const Table* rowShape_;
  ConflictAction conflict_;
  std::vector<const Trigger*> triggers_;
};

// The conflict choice a write statement runs with: its own, unless a trigger runs it for a
// statement that gave one.
ConflictAction effectiveConflict(const Session& session, ConflictAction own);

// Whether the statement runs inside a trigger of the file, which reads and writes the file's
// tables only.
bool insideFileTrigger(const Session& session);

// NEW.column or OLD.column of the innermost running trigger (qualifier "new" or "old", any
// case; the column may be a row number name); nullopt when there is no such value.
struct TriggerValue {
  SqlValue value;
  bool text = false;  // compares as text: the table's column does, or the row is a view's
};
std::optional<TriggerValue> triggerRowValue(const Session& session, std::string_view qualifier,
                                            std::string_view column);

// RAISE(action, message) as a function of two arguments: the action's name and the
// message. Throws Error(SQLITE_ERROR) outside a trigger.
const ScalarFunction& raiseFunction(const Session* session);

}  // namespace sqlite2
