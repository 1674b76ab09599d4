#pragma once

// The triggers running on a connection, innermost last, and what a statement asks of them
// while they run: the conflict choice they pass on, whether a statement runs inside a trigger
// of the file, the values of NEW and OLD. The session holds one; the triggers push their
// frames on it (see trigger_firing.h).

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "record/value.h"
#include "sql/schema/schema.h"
#include "sql/text/ast.h"
#include "sql/values/sql_value.h"

namespace sqlite2 {

// A row as a trigger sees it under NEW or OLD: a value per column as stored, and its row
// number (-1 for a new row whose number is not chosen yet).
struct TriggerRow {
  std::vector<Value> values;
  int32_t rowNumber = -1;
};

// One trigger running for one row: a trigger never fires again while it runs.
struct TriggerFrame {
  const Trigger* trigger = nullptr;
  const Table* table = nullptr;
  const TriggerRow* oldRow = nullptr;
  const TriggerRow* newRow = nullptr;
  // The OR choice of the statement that fired it, which overrides its steps' own.
  ConflictAction conflict = ConflictAction::Default;
};

// NEW.column or OLD.column of the innermost running trigger.
struct TriggerValue {
  SqlValue value;
  bool text = false;  // compares as text: the table's column does, or the row is a view's
};

// RAISE(IGNORE): thrown through the trigger's steps to the firing that catches it. It is no
// Error, so that nothing on the way mistakes it for a failure.
struct TriggerIgnored {};

class TriggerStack {
 public:
  bool empty() const { return frames_.empty(); }
  void push(const TriggerFrame& frame) { frames_.push_back(&frame); }
  void pop() { frames_.pop_back(); }

  bool isRunning(const Trigger& trigger) const;
  // The conflict choice a write statement runs with: its own, unless a trigger runs it for a
  // statement that gave one.
  ConflictAction effectiveConflict(ConflictAction own) const;
  // Whether the statement runs inside a trigger of the file, which reads and writes the
  // file's tables only.
  bool insideFileTrigger() const;
  // NEW.column or OLD.column (qualifier "new" or "old", any case; the column may be a row
  // number name); nullopt when there is no such value.
  std::optional<TriggerValue> rowValue(std::string_view qualifier, std::string_view column) const;

 private:
  std::vector<const TriggerFrame*> frames_;
};

}  // namespace sqlite2
