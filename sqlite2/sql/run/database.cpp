#include "sql/run/database.h"
#include "sql/run/copy_statement.h"

#include "os/file_system.h"

#include <utility>
#include <variant>

#include "btree/btree.h"
#include "common/error.h"
#include "sql/run/pragma_statements.h"
#include "sql/run/schema_statements.h"
#include "sql/run/select_statement.h"
#include "sql/run/session.h"
#include "sql/run/statement_families.h"
#include "sql/run/vacuum_statement.h"
#include "sql/run/write_statements.h"
#include "sql/text/parser.h"
#include "sqlite.h"

namespace sqlite2 {

struct Database::State {
  Session session;
  BusyHandler busyHandler;
  bool explicitTransaction = false;
  bool statementOpen = false;  // a write statement's own savepoint inside BEGIN
  int activeCalls = 0;         // execute() calls under way: a row callback may run statements

  void ensureCurrentSchema();
  // The next statement; for a trigger whose body is not understood, a mistake in its header's
  // table comes first, as SQLite 2.8 checks it before it reads on.
  bool parseNext(Parser& parser, Statement& statement);
  void runStatement(const Statement& statement, const RowCallback& onRow);
  // What a write statement changes, for what its failure undoes.
  enum class Writes {
    Rows,
    // The schema, once its checks are passed: a failure before then leaves the schema as it
    // is, as in SQLite 2.8, which makes those checks before its schema changes.
    CheckedSchema,
    // The schema from the start: 2.8 reads the schema again after any failure.
    Schema,
  };
  template <typename Work>
  void runWrite(Writes writes, Work work);
  void finishWrite(bool ownTransaction);
  void reportEmptyResult(const RowCallback& onRow);
  void reportCount(const char* name, const RowCallback& onRow);
  void begin();
  void commit();
  void rollback();
  void rollBackFailedTransaction();
  void undoFailedStatement(bool ownTransaction, Writes writes) noexcept;
  void rollBackWholeTransaction() noexcept;
  void readSettingsAfterRollback() noexcept;
  void readSchemaAgainAfterFailure(bool changesSchema) noexcept;
  void joinTransaction(Btree& tree);
  void attach(const Attach& statement);
  void detach(const Detach& statement);
  // Does the same to the file's b-tree and, when there is one, the temporary database's:
  // both take part in every transaction and statement. An attached database takes part
  // from its first write in the transaction on.
  template <typename Operation>
  void onEachTree(Operation operation) {
    operation(*session.btree);
    if (Btree* temporary = session.temporary.btree()) operation(*temporary);
    for (const auto& attached : session.attached.all()) {
      if (attached->btree->inTransaction()) operation(*attached->btree);
    }
  }
  // The same for undoing: each tree is undone however the other fares.
  template <typename Operation>
  void undoOnEachTree(Operation operation) noexcept {
    onEachTreeQuietly(*session.btree, operation);
    if (Btree* temporary = session.temporary.btree()) onEachTreeQuietly(*temporary, operation);
    for (const auto& attached : session.attached.all()) {
      if (attached->btree->inTransaction()) onEachTreeQuietly(*attached->btree, operation);
    }
  }
  template <typename Operation>
  static void onEachTreeQuietly(Btree& tree, Operation& operation) noexcept {
    try {
      operation(tree);
    } catch (const Error&) {
      // The journal stays behind; the next statement plays it back.
    }
  }
  bool anyTransactionFailed() {
    bool failed = false;
    onEachTree([&failed](Btree& tree) { failed = failed || tree.transactionFailed(); });
    return failed;
  }
};

namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// Counts a call under way for as long as it runs.
class CallDepth {
 public:
  explicit CallDepth(int& depth) : depth_(depth) { ++depth_; }
  ~CallDepth() { --depth_; }
  CallDepth(const CallDepth&) = delete;
  CallDepth& operator=(const CallDepth&) = delete;

 private:
  int& depth_;
};

}  // namespace

Database::Database() : state_(std::make_unique<State>()) {}

Database::~Database() = default;

std::unique_ptr<Database> Database::open(const std::string& path) {
  std::unique_ptr<Database> database(new Database());
  State* state = database->state_.get();
  state->session.btree = Btree::open(path, PagerOptions{});
  state->session.databasePath = absolutePath(path);
  state->session.nested = &statementFamilies();
  state->session.btree->pager().setBusyHandler(
      [state](int attempt) { return state->busyHandler && state->busyHandler("", attempt); });
  state->session.temporary.onOpened = [state](Btree& temporary) {
    state->joinTransaction(temporary);
  };
  state->session.onAttachedWrite = [state](Btree& attached) {
    if (!attached.inTransaction()) state->joinTransaction(attached);
  };
  try {
    PageRef holdLock = state->session.btree->pager().get(1);
    state->ensureCurrentSchema();
  } catch (const Error& error) {
    // Another connection holds the file: the first statement reads the schema.
    if (error.code() != SQLITE_BUSY) throw;
  }
  return database;
}

// Reads the schema again when it is not known yet or another connection changed it (the
// cookie moved). The caller holds the file's lock for the statement.
bool Database::State::parseNext(Parser& parser, Statement& statement) {
  try {
    return parser.next(statement);
  } catch (const Error&) {
    if (const CreateTrigger* header = parser.failedTriggerHeader()) {
      PageRef holdLock = session.btree->pager().get(1);
      ensureCurrentSchema();
      triggerTable(session, *header);
    }
    throw;
  }
}

void Database::State::ensureCurrentSchema() {
  if (session.schema) {
    MetaValues meta = session.btree->readMeta();
    if (meta[1] == session.schema->cookie()) return;
  }
  session.schema = Schema::load(*session.btree);
  if (Btree* temporary = session.temporary.btree()) session.schema->loadTemporary(*temporary);
}

// A temporary database made inside a transaction (or a statement of one) joins it, and so
// does an attached database that the transaction writes.
void Database::State::joinTransaction(Btree& tree) {
  if (!session.btree->inTransaction()) return;
  tree.beginTransaction();
  if (statementOpen) tree.beginStatement();
}

void Database::State::attach(const Attach& statement) {
  session.attached.attach(statement.file, statement.name, [this](Btree& tree) {
    tree.pager().setBusyHandler(
        [this](int attempt) { return busyHandler && busyHandler("", attempt); });
  });
}

// SQLite 2.8 lets a transaction detach a database it wrote, and so silently drops that
// write at COMMIT; here the database stays until the transaction ends.
void Database::State::detach(const Detach& statement) {
  if (AttachedDatabase* attached = session.attached.find(statement.name)) {
    if (attached->btree->inTransaction()) {
      throw Error(SQLITE_ERROR, "cannot detach database " + statement.name +
                                    " within the transaction that wrote it");
    }
    // A statement still running (this one came from its row callback) holds the file.
    if (activeCalls > 1) {
      throw Error(SQLITE_ERROR,
                  "cannot detach database " + statement.name + " - SQL statements in progress");
    }
  }
  session.dropWriteCursor();
  session.attached.detach(statement.name);
}

void Database::execute(std::string_view sql, const RowCallback& onRow) {
  State& state = *state_;
  if (state.activeCalls == 0) state.session.changes = 0;
  CallDepth depth(state.activeCalls);
  Parser parser(sql);
  Statement statement;
  // Whether the statement under way handed on a row.
  bool gaveRows = false;
  RowCallback counting;
  if (onRow) {
    counting = [&](int count, const char* const* values, const char* const* names) {
      gaveRows = true;
      return onRow(count, values, names);
    };
  }
  try {
    for (;;) {
      state.session.statementStarted = false;
      state.session.newTableHeld = false;
      state.session.heldError.reset();
      state.session.compoundError.reset();
      if (!state.parseNext(parser, statement)) break;
      gaveRows = false;
      state.session.resultNames.clear();
      state.runStatement(statement, counting);
      if (!gaveRows && onRow && state.session.settings.emptyResultCallbacks) {
        state.reportEmptyResult(onRow);
      }
    }
  } catch (const Error&) {
    if (!state.session.statementStarted) state.session.changes = 0;
    state.rollBackFailedTransaction();
    throw;
  }
}

// A transaction whose file writes failed (a COMMIT, or a statement of any kind that had to
// write changed pages out) cannot go on: it is rolled back with the call that failed, so
// that the next call finds the file as it was before the transaction.
void Database::State::rollBackFailedTransaction() {
  if (anyTransactionFailed()) rollBackWholeTransaction();
}

// PRAGMA empty_result_callbacks: a statement that gave no row calls back once, with its
// column names (none for a statement that is no query) and no values.
void Database::State::reportEmptyResult(const RowCallback& onRow) {
  std::vector<const char*> names;
  for (const std::string& name : session.resultNames) names.push_back(name.c_str());
  if (!onRow(static_cast<int>(names.size()), nullptr, names.data())) {
    throw Error(SQLITE_ABORT, "");
  }
}

// PRAGMA count_changes: INSERT, UPDATE and DELETE give one row with the rows they touched.
void Database::State::reportCount(const char* name, const RowCallback& onRow) {
  if (!session.settings.countChanges || !onRow) return;
  std::string count = std::to_string(session.statementRows);
  const char* value = count.c_str();
  if (!onRow(1, &value, &name)) throw Error(SQLITE_ABORT, "");
}

void Database::State::runStatement(const Statement& statement, const RowCallback& onRow) {
  // Holding a page keeps the file locked (at least shared) from the schema check to the end.
  PageRef holdLock = session.btree->pager().get(1);
  // (Not over a DETACH, which closes the file.)
  std::vector<PageRef> holdAttachedLocks;
  if (!std::holds_alternative<Detach>(statement.body)) {
    for (const auto& attached : session.attached.all()) {
      holdAttachedLocks.push_back(attached->btree->pager().get(1));
    }
  }
  ensureCurrentSchema();
  session.attached.refreshSchemas();
  std::string_view text = statement.text;
  // (A row callback may run a statement of its own: the outer one's callback comes back.)
  const ResultRowCallback* outerRows = session.statementCallback;
  session.statementCallback = &onRow;
  struct RestoreRows {
    Session& session;
    const ResultRowCallback* rows;
    ~RestoreRows() { session.statementCallback = rows; }
  } restoreRows{session, outerRows};
  std::visit(Overloaded{
                 [&](const Select& select) { runSelect(session, select, onRow); },
                 [&](const Pragma& pragma) {
                   if (pragmaWritesHeader(pragma)) {
                     runWrite(Writes::Rows, [&] { runPragma(session, pragma, onRow); });
                   } else {
                     runPragma(session, pragma, onRow);
                   }
                 },
                 [&](const Insert& insert) {
                   runWrite(Writes::Rows, [&] { runInsert(session, insert); });
                   reportCount("rows inserted", onRow);
                 },
                 [&](const Copy& copy) {
                   runWrite(Writes::Rows, [&] { runCopy(session, copy); });
                   reportCount("rows inserted", onRow);
                 },
                 [&](const Update& update) {
                   runWrite(Writes::Rows, [&] { runUpdate(session, update); });
                   reportCount("rows updated", onRow);
                 },
                 [&](const Delete& del) {
                   runWrite(Writes::Rows, [&] { runDelete(session, del); });
                   reportCount("rows deleted", onRow);
                 },
                 [&](const CreateTable& create) {
                   runWrite(Writes::CheckedSchema, [&] { runCreateTable(session, create, text); });
                 },
                 [&](const CreateIndex& create) {
                   runWrite(Writes::CheckedSchema, [&] { runCreateIndex(session, create, text); });
                 },
                 [&](const DropTable& drop) {
                   runWrite(Writes::CheckedSchema, [&] { runDropTable(session, drop); });
                 },
                 [&](const DropIndex& drop) {
                   runWrite(Writes::CheckedSchema, [&] { runDropIndex(session, drop); });
                 },
                 [&](const CreateView& create) {
                   runWrite(Writes::CheckedSchema, [&] { runCreateView(session, create, text); });
                 },
                 [&](const DropView& drop) {
                   runWrite(Writes::CheckedSchema, [&] { runDropView(session, drop); });
                 },
                 [&](const CreateTrigger& create) {
                   runWrite(Writes::CheckedSchema,
                            [&] { runCreateTrigger(session, create, text); });
                 },
                 [&](const DropTrigger& drop) {
                   runWrite(Writes::CheckedSchema, [&] { runDropTrigger(session, drop); });
                 },
                 [&](const Vacuum&) {
                   if (explicitTransaction) {
                     throw Error(SQLITE_ERROR, "cannot VACUUM from within a transaction");
                   }
                   runWrite(Writes::Schema, [&] { runVacuum(session); });
                 },
                 [&](const Begin&) { begin(); },
                 [&](const Commit&) { commit(); },
                 [&](const Rollback&) { rollback(); },
                 [&](const Attach& attach) { this->attach(attach); },
                 [&](const Detach& detach) { this->detach(detach); },
             },
             statement.body);
}

// A write statement is a transaction of its own outside BEGIN; inside, a failing statement
// undoes its own changes only and the transaction goes on.
template <typename Work>
void Database::State::runWrite(Writes writes, Work work) {
  const bool changesSchema = writes != Writes::Rows;
  struct ReadSchemaAtEnd {
    Session& session;
    bool due;
    ~ReadSchemaAtEnd() {
      if (due) session.schema.reset();
    }
  } readSchemaAtEnd{session, std::exchange(session.readSchemaAfterNextWrite, false)};
  Btree& btree = *session.btree;
  bool ownTransaction = !explicitTransaction;
  // A schema change may free the tree the kept cursor stands in.
  if (changesSchema) session.dropWriteCursor();
  if (ownTransaction) {
    onEachTree([](Btree& tree) { tree.beginTransaction(); });
    session.cookieAtTransactionStart = btree.readMeta()[1];
  } else {
    onEachTree([](Btree& tree) { tree.beginStatement(); });
    statementOpen = true;
  }
  int changesBefore = session.changes;
  session.conflictFailure = ConflictAction::Default;
  session.rowsReportedOnly = 0;
  try {
    work();
    if (!changesSchema) {
      session.lastStatementChanges = session.changes - changesBefore;
      session.statementRows = session.lastStatementChanges + session.rowsReportedOnly;
    }
    finishWrite(ownTransaction);
  } catch (...) {
    session.dropWriteCursor();
    if (session.conflictFailure == ConflictAction::Fail && !ownTransaction &&
        !anyTransactionFailed()) {
      // FAIL keeps what the statement changed before the conflict, inside BEGIN ... COMMIT
      // (a statement that is its own transaction fails whole, as in the reference library).
      finishWrite(ownTransaction);
      readSchemaAgainAfterFailure(changesSchema);
      throw;
    }
    // Rows the failing statement changed before it failed stay counted, as in the reference
    // library, although they are undone; so does the last row number one of them took.
    if (session.conflictFailure == ConflictAction::Rollback && !ownTransaction) {
      rollBackWholeTransaction();  // ON CONFLICT ROLLBACK ends the transaction
    } else {
      undoFailedStatement(ownTransaction, writes);
    }
    readSchemaAgainAfterFailure(changesSchema);
    throw;
  }
}

void Database::State::finishWrite(bool ownTransaction) {
  if (ownTransaction) {
    session.dropWriteCursor();
    onEachTree([](Btree& tree) { tree.commit(); });
  } else {
    statementOpen = false;
    onEachTree([](Btree& tree) { tree.commitStatement(); });
  }
}

// Undoes what a failed statement did: inside BEGIN the statement alone where that works,
// otherwise the whole transaction. Failures on the way are not reported: the statement's own
// failure is what the caller hears of.
void Database::State::undoFailedStatement(bool ownTransaction, Writes writes) noexcept {
  Btree& btree = *session.btree;
  if (session.newTableHeld) {
    session.readSchemaAfterNextWrite = true;
  } else if (writes == Writes::Schema ||
             (writes == Writes::CheckedSchema && session.statementStarted)) {
    session.schema.reset();
  }
  bool statement = statementOpen;
  statementOpen = false;
  if (!ownTransaction && statement && btree.inTransaction() && !anyTransactionFailed()) {
    try {
      onEachTree([](Btree& tree) { tree.rollbackStatement(); });
      return;
    } catch (const Error&) {
      // The statement could not be undone alone: the whole transaction goes.
    }
  }
  if (ownTransaction) {
    session.dropWriteCursor();
    undoOnEachTree([](Btree& tree) {
      if (tree.inTransaction()) tree.rollback();
    });
    // The reference library opens its transaction only once the statement is prepared: a
    // mistake found before then (a missing table, a wrong column) rolls nothing back there.
    if (session.statementStarted) readSettingsAfterRollback();
  } else {
    rollBackWholeTransaction();
  }
}

// A rolled back transaction leaves the schema to be read again, and the file's cache size and
// safety level with it, as the reference library does.
void Database::State::readSettingsAfterRollback() noexcept {
  try {
    restoreFileDefaults(session);
  } catch (const Error&) {
    // An unreadable header keeps the connection's settings; the next statement reports it.
  }
}

// Inside BEGIN, a statement that fails once it runs, in a transaction that has changed a
// schema (or while changing one itself), has the reference library read the schema again, and
// with it the file's cache size and safety level; the transaction goes on.
void Database::State::readSchemaAgainAfterFailure(bool changesSchema) noexcept {
  if (!explicitTransaction || !session.statementStarted) return;
  if (!changesSchema && !session.schemaChangedInTransaction) return;
  session.schemaChangedInTransaction = false;
  session.schema.reset();
  readSettingsAfterRollback();
}

// The kept cursor goes first: pages it held would keep a pager whose rollback failed from
// resetting.
void Database::State::rollBackWholeTransaction() noexcept {
  explicitTransaction = false;
  statementOpen = false;
  session.schema.reset();
  session.dropWriteCursor();
  undoOnEachTree([](Btree& tree) {
    if (tree.inTransaction()) tree.rollback();
  });
  readSettingsAfterRollback();
}

void Database::State::begin() {
  if (explicitTransaction) {
    throw Error(SQLITE_ERROR, "cannot start a transaction within a transaction");
  }
  onEachTree([](Btree& tree) { tree.beginTransaction(); });
  session.cookieAtTransactionStart = session.btree->readMeta()[1];
  session.schemaChangedInTransaction = false;
  explicitTransaction = true;
}

// Each file commits on its own, main first: a failure after main has committed leaves the
// others as they were before the transaction (their journals play back), never half written.
void Database::State::commit() {
  if (!explicitTransaction) throw Error(SQLITE_ERROR, "cannot commit - no transaction is active");
  // Ending the transaction under a statement that is still reading (from a row callback)
  // would pull the file from under it.
  if (activeCalls > 1) {
    throw Error(SQLITE_ERROR, "cannot commit transaction - SQL statements in progress");
  }
  session.dropWriteCursor();
  onEachTree([](Btree& tree) { tree.commit(); });
  explicitTransaction = false;
}

void Database::State::rollback() {
  if (!explicitTransaction) {
    throw Error(SQLITE_ERROR, "cannot rollback - no transaction is active");
  }
  if (activeCalls > 1) {
    throw Error(SQLITE_ERROR, "cannot rollback transaction - SQL statements in progress");
  }
  explicitTransaction = false;
  session.schema.reset();
  session.dropWriteCursor();
  onEachTree([](Btree& tree) { tree.rollback(); });
  readSettingsAfterRollback();
}

int Database::changes() const {
  return state_->session.changes;
}

int Database::lastInsertRowid() const {
  return state_->session.lastInsertRowid;
}

void Database::setBusyHandler(BusyHandler handler) {
  state_->busyHandler = std::move(handler);
}

}  // namespace sqlite2
