#include "sql/run/trigger_firing.h"

#include <algorithm>

#include "common/error.h"
#include "sql/run/expression.h"
#include "sql/run/session.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// Keeps a frame on the session's stack for the lifetime of the object.
class RunningTrigger {
 public:
  RunningTrigger(Session& session, const TriggerFrame& frame) : session_(session) {
    session_.triggers.push(frame);
  }
  ~RunningTrigger() { session_.triggers.pop(); }
  RunningTrigger(const RunningTrigger&) = delete;
  RunningTrigger& operator=(const RunningTrigger&) = delete;

 private:
  Session& session_;
};

// FOR EACH STATEMENT triggers are stored and never fire, as in the reference library (which
// runs row triggers only).
bool matchesEvent(const Trigger& trigger, TriggerEvent event,
                  const std::vector<std::string>& assignedColumns) {
  if (trigger.event() != event || trigger.definition->forEachStatement) return false;
  return event != TriggerEvent::Update || trigger.firesOnUpdateOf(assignedColumns);
}

// Under PRAGMA count_changes an INSERT or DELETE step reports the rows it changed to the
// caller of the firing statement, under its own name, as in SQLite 2.8 (an UPDATE step does
// not).
template <typename Run>
void runCountedStep(Session& session, const char* name, Run run) {
  const int changesBefore = session.changes;
  const int clearedBefore = session.rowsReportedOnly;
  session.rowsReportedOnly = 0;
  run();
  const int count = session.changes - changesBefore + session.rowsReportedOnly;
  session.rowsReportedOnly = clearedBefore;
  const ResultRowCallback* onRow = session.statementCallback;
  if (session.preparingTriggers || !session.settings.countChanges || !onRow || !*onRow) return;
  const std::string text = std::to_string(count);
  const char* value = text.c_str();
  if (!(*onRow)(1, &value, &name)) throw Error(SQLITE_ABORT, "");
}

// A step's rows go nowhere: a SELECT of a trigger runs for what its expressions do (RAISE).
void runStep(Session& session, const TriggerStep& step) {
  const NestedStatements& statements = *session.nested;
  std::visit(
      [&](const auto& statement) {
        using Kind = std::decay_t<decltype(statement)>;
        if constexpr (std::is_same_v<Kind, Insert>) {
          runCountedStep(session, "rows inserted",
                         [&] { statements.runInsert(session, statement); });
        } else if constexpr (std::is_same_v<Kind, Update>) {
          statements.runUpdate(session, statement);
        } else if constexpr (std::is_same_v<Kind, Delete>) {
          runCountedStep(session, "rows deleted",
                         [&] { statements.runDelete(session, statement); });
        } else if (session.preparingTriggers) {
          statements.prepareSelect(session, statement);
        } else {
          statements.runSelectWithoutRows(session, statement);
        }
      },
      step);
}

// What the statement that fires a trigger reports stays its own, however the trigger ends:
// its changes count and its result column names.
class KeptStatementState {
 public:
  explicit KeptStatementState(Session& session)
      : session_(session), changes_(session.changes), resultNames_(session.resultNames) {}
  ~KeptStatementState() {
    session_.changes = changes_;
    session_.resultNames = std::move(resultNames_);
  }
  KeptStatementState(const KeptStatementState&) = delete;
  KeptStatementState& operator=(const KeptStatementState&) = delete;

 private:
  Session& session_;
  int changes_;
  std::vector<std::string> resultNames_;
};

// Sets the session's preparing flag for the lifetime of the object.
class PreparingOnly {
 public:
  explicit PreparingOnly(Session& session) : session_(session), before_(session.preparingTriggers) {
    session_.preparingTriggers = true;
  }
  ~PreparingOnly() { session_.preparingTriggers = before_; }
  PreparingOnly(const PreparingOnly&) = delete;
  PreparingOnly& operator=(const PreparingOnly&) = delete;

 private:
  Session& session_;
  bool before_;
};

bool whenHolds(Session& session, const CreateTrigger& definition) {
  if (!definition.when) return true;
  ExpressionCompiler compiler(nullptr, std::string(), &session);
  CompiledExprPtr when = compiler.compile(*definition.when);
  session.throwHeldError();
  return when->isSatisfied(EvalContext());
}

}  // namespace

RowTriggers::RowTriggers(Session& session, const Table& table, TriggerEvent event,
                         ConflictAction conflict, const std::vector<std::string>& assignedColumns)
    : session_(session),
      event_(event),
      rowShape_(&table),
      conflict_(session.triggers.effectiveConflict(conflict)) {
  // Only a running trigger itself is left out. (The reference library leaves out all of a
  // table's triggers while the table's newest trigger runs, whatever its event: whether a
  // trigger fires would then depend on the order unrelated triggers were made in.)
  for (const std::shared_ptr<Trigger>& trigger : table.triggers) {
    if (matchesEvent(*trigger, event, assignedColumns) && !session.triggers.isRunning(*trigger)) {
      triggers_.push_back(trigger.get());
    }
  }
}

bool RowTriggers::any(TriggerTiming timing) const {
  return std::any_of(triggers_.begin(), triggers_.end(),
                     [&](const Trigger* trigger) { return trigger->timing() == timing; });
}

void RowTriggers::prepare() {
  PreparingOnly preparing(session_);
  KeptStatementState kept(session_);
  TriggerRow placeholder{std::vector<Value>(rowShape_->columns.size()), -1};
  const TriggerRow* oldRow = event_ == TriggerEvent::Insert ? nullptr : &placeholder;
  const TriggerRow* newRow = event_ == TriggerEvent::Delete ? nullptr : &placeholder;
  for (const Trigger* trigger : triggers_) {
    TriggerFrame frame{trigger, rowShape_, oldRow, newRow, conflict_};
    RunningTrigger running(session_, frame);
    const CreateTrigger& definition = *trigger->definition;
    if (definition.when) {
      ExpressionCompiler(nullptr, std::string(), &session_).compile(*definition.when);
      session_.throwHeldError();
    }
    for (const TriggerStep& step : definition.steps) runStep(session_, step);
  }
}

bool RowTriggers::fire(TriggerTiming timing, const TriggerRow* oldRow, const TriggerRow* newRow) {
  for (const Trigger* trigger : triggers_) {
    if (trigger->timing() == timing && !fireOne(*trigger, oldRow, newRow)) return false;
  }
  return true;
}

// What a trigger's steps change is not counted as the statement's changes, and the row
// number of the last row they inserted is forgotten again, as in the reference library;
// but a RAISE (and a failure) leaves that number in place, as there.
bool RowTriggers::fireOne(const Trigger& trigger, const TriggerRow* oldRow,
                          const TriggerRow* newRow) {
  const int lastInsertRowid = session_.lastInsertRowid;
  KeptStatementState kept(session_);
  TriggerFrame frame{&trigger, rowShape_, oldRow, newRow, conflict_};
  RunningTrigger running(session_, frame);
  try {
    if (whenHolds(session_, *trigger.definition)) {
      for (const TriggerStep& step : trigger.definition->steps) runStep(session_, step);
    }
  } catch (const TriggerIgnored&) {
    return false;
  }
  session_.lastInsertRowid = lastInsertRowid;
  return true;
}

}  // namespace sqlite2
