#pragma once

// The state of one connection that its statements work on.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "btree/btree.h"
#include "common/error.h"
#include "sql/run/nested_statements.h"
#include "sql/run/row_callback.h"
#include "sql/run/trigger_stack.h"
#include "sql/schema/attached_databases.h"
#include "sql/schema/schema.h"
#include "sql/schema/temporary_database.h"
#include "sql/text/ast.h"
#include "sql/values/function_call.h"
#include "sql/values/sql_value.h"

namespace sqlite2 {

// What the PRAGMAs of a connection have set.
struct SessionSettings {
  bool countChanges = false;          // INSERT, UPDATE and DELETE report their count as a row
  bool fullColumnNames = false;       // a column's result name is always table.column
  bool shortColumnNames = false;      // a column's result name is always its own name
  bool emptyResultCallbacks = false;  // a statement without rows still calls back once
  bool showDatatypes = false;         // the callback's names are followed by the types
  bool vdbeTrace = false;             // kept and reported only (no program to trace)
  std::optional<int> cacheSize;       // pages; unset: the file's default
  int synchronous = 1;                // 0 OFF, 1 NORMAL, 2 FULL (as reported)
  int tempStore = 0;                  // 0 default, 1 file, 2 memory (as reported)
};

// A tree of one of the connection's databases.
using TreeId = std::pair<const Btree*, PageNumber>;

struct Session : FunctionContext {
  std::unique_ptr<Btree> btree;
  TemporaryDatabase temporary;  // (before the kept cursor, which may stand in it)
  AttachedDatabases attached;   // (likewise)
  // Brings an attached database that a statement is about to write into the transaction
  // under way.
  std::function<void(Btree&)> onAttachedWrite;
  // The writable cursor of the table written last, kept from one write statement to the next
  // inside a transaction: a dump's INSERTs go to one table, each after the row before, and a
  // cursor still standing on that row finds the next one's place without a descent from the
  // root. It holds pages, and with them the file's lock: it goes before the transaction ends.
  // (Declared after btree, so that it goes first.)
  std::unique_ptr<Cursor> writeCursor;
  TreeId writeCursorTree{nullptr, 0};
  std::unique_ptr<Schema> schema;  // null until read (or after a rollback)
  int statementRows = 0;           // rows the last write statement touched (wholesale deletes too)
  // Rows PRAGMA count_changes reports but the changes count leaves out: those a DELETE without
  // WHERE clears wholesale, and the rows INSERT and DELETE hand to a view's INSTEAD OF triggers.
  int rowsReportedOnly = 0;
  SessionSettings settings;
  std::string databasePath;  // absolute, as PRAGMA database_list shows it
  // The column names of the last SELECT, also when it found no rows.
  std::vector<std::string> resultNames;
  // The row callback of the statement under way: the INSERT and DELETE steps of its triggers
  // report their counts to it under PRAGMA count_changes.
  const ResultRowCallback* statementCallback = nullptr;
  // The statements that expressions and triggers run inside this one's (sub-selects, trigger
  // steps).
  const NestedStatements* nested = nullptr;
  // Tables being read by statements still running (a row callback may run more statements):
  // tree -> number of readers.
  std::map<TreeId, int> tablesBeingRead;
  // The views whose queries are being run, inner ones last: a view that a file defines
  // through itself would otherwise be expanded without end.
  std::vector<const Table*> viewsBeingExpanded;
  // The triggers running, innermost last (see trigger_firing.h).
  TriggerStack triggers;
  // While the triggers a statement may fire are prepared with it, their steps stop once their
  // names are resolved: nothing runs.
  bool preparingTriggers = false;
  int32_t cookieAtTransactionStart = 0;
  // Whether the current statement got past its preparation (names resolved, checks made).
  // An error before that point clears the changes count of the whole call, as in the
  // reference library; a later one keeps what the earlier statements counted.
  bool statementStarted = false;
  // A CREATE TABLE ... AS whose query's column names are known: 2.8 holds the new table in
  // its schema from then on while it compiles the rest. After a failure it goes on with that
  // schema until the next statement that writes ends, and then reads the schema again.
  bool newTableHeld = false;
  bool readSchemaAfterNextWrite = false;
  // How the failing statement's constraint asked its failure to be handled: FAIL keeps what
  // the statement changed before, ROLLBACK ends the whole transaction, anything else undoes
  // the statement.
  ConflictAction conflictFailure = ConflictAction::Default;
  // Whether the transaction under BEGIN changed a schema (main or temporary) since it began or
  // since its schema was last read again.
  bool schemaChangedInTransaction = false;
  // A mistake held back, as SQLite 2.8 holds one that an IN sub-select, or a sub-select or
  // view of FROM, makes: it stops none of the statement's other names and checks, only the
  // sub-selects after it, and any later mistake is reported instead; without one it fails the
  // statement once the statement is prepared. A query prepared with one held is not run.
  std::optional<Error> heldError;
  // A mistake of a compound's part that SQLite 2.8 lets pass (giving rows that mean nothing)
  // and this engine refuses once the compound is compiled, after the mistakes 2.8 reports.
  std::optional<Error> compoundError;

  // Fails with SQLITE_LOCKED "database table is locked" when a running statement reads the
  // table.
  void requireNotBeingRead(const Table& table) const;
  // Throws the mistake held back, if any: the statement is prepared.
  void throwHeldError();
  void throwCompoundError();
  // Refuses writes to sqlite_master and to a view (one without INSTEAD OF triggers for the
  // statement: the caller runs those instead).
  void requireWritable(const Table& table) const;
  // The schema cookie changes once per transaction that changes the schema, by 1 to 256 as
  // the reference library changes it, and the file format becomes the current one. A change
  // of temporary objects leaves the file alone: no other connection sees them.
  void noteSchemaChange(bool temporary = false);
  // The table a statement names, looked for in temp, main, then the attached databases in
  // order; "no such table: name" otherwise (main.name inside a trigger of the file, which
  // sees no temporary table).
  std::shared_ptr<Table> table(const std::string& name) const;
  // The same, in the one database named when database is not empty; "no such table:
  // database.name" otherwise.
  std::shared_ptr<Table> table(const std::string& database, const std::string& name) const;
  // The table or view a FROM item names; "no such table: [database.]name" otherwise.
  std::shared_ptr<Table> table(const FromItem& item) const;
  // The table or index of that name in any of the connection's databases, or null.
  std::shared_ptr<Table> findTable(std::string_view name) const;
  std::shared_ptr<Index> findIndex(std::string_view name) const;
  // The index that DROP INDEX [database.]name names, and the schema it is in; "no such
  // index: [database.]name" otherwise.
  std::pair<std::shared_ptr<Index>, Schema*> index(const std::string& database,
                                                   const std::string& name) const;
  // Called before a statement writes the table's rows.
  void startWriting(const Table& table);
  // The database a table (or index of it) lives in: the file, or for a temporary table the
  // temporary database (made when it is first needed).
  Btree& treeOf(const Table& table);
  // A writable cursor on the tree: the kept one when it is that tree's, a new one otherwise.
  std::unique_ptr<Cursor> takeWriteCursor(Btree& tree, PageNumber root);
  void keepWriteCursor(Btree& tree, PageNumber root, std::unique_ptr<Cursor> cursor);
  void dropWriteCursor();
};

// Keeps a table marked as being read for the lifetime of the object.
class ReadingTable {
 public:
  ReadingTable(Session& session, const Table& table);
  ~ReadingTable();
  ReadingTable(const ReadingTable&) = delete;
  ReadingTable& operator=(const ReadingTable&) = delete;

 private:
  Session& session_;
  TreeId tree_;
};

// Marks a view as being expanded for the lifetime of the object; throws Error when it
// already is (a view defined through itself).
class ExpandingView {
 public:
  ExpandingView(Session& session, const Table& view);
  ~ExpandingView();
  ExpandingView(const ExpandingView&) = delete;
  ExpandingView& operator=(const ExpandingView&) = delete;

 private:
  Session& session_;
};

}  // namespace sqlite2
