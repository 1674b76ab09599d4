#pragma once

// Running the triggers of a table for each row an INSERT, UPDATE or DELETE changes (or, for
// a view, is asked to change). What their bodies see while they run (NEW and OLD, the
// conflict choice the firing statement passes on) is kept in trigger_stack.h; RAISE() is an
// expression (expression.h).

#include <string>
#include <vector>

#include "sql/run/trigger_stack.h"
#include "sql/schema/schema.h"
#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;

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

}  // namespace sqlite2
