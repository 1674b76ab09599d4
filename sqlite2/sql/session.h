#pragma once

// The state of one connection that its statements work on.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "btree/btree.h"
#include "sql/ast.h"
#include "sql/schema.h"

namespace sqlite2 {

using ResultRowCallback =
    std::function<bool(int columnCount, const char* const* values, const char* const* names)>;

struct Session {
  std::unique_ptr<Btree> btree;
  // The writable cursor of the table written last, kept from one write statement to the next
  // inside a transaction: a dump's INSERTs go to one table, each after the row before, and a
  // cursor still standing on that row finds the next one's place without a descent from the
  // root. It holds pages, and with them the file's lock: it goes before the transaction ends.
  // (Declared after btree, so that it goes first.)
  std::unique_ptr<Cursor> writeCursor;
  PageNumber writeCursorRoot = 0;
  std::unique_ptr<Schema> schema;  // null until read (or after a rollback)
  int changes = 0;                 // of the current execute() call
  int lastInsertRowid = 0;
  std::mt19937 random{std::random_device{}()};
  // Tables being read by statements still running (a row callback may run more statements):
  // root page -> number of readers.
  std::map<PageNumber, int> tablesBeingRead;
  int32_t cookieAtTransactionStart = 0;
  // Whether the current statement got past its preparation (names resolved, checks made).
  // An error before that point clears the changes count of the whole call, as in the
  // reference library; a later one keeps what the earlier statements counted.
  bool statementStarted = false;

  // Fails with SQLITE_LOCKED "database table is locked" when a running statement reads the
  // table.
  void requireNotBeingRead(const Table& table) const;
  // Refuses writes the engine cannot carry out faithfully: to sqlite_master, to a view, to a
  // table with triggers or with ON CONFLICT clauses.
  void requireWritable(const Table& table) const;
  // The schema cookie changes once per transaction that changes the schema, by 1 to 256 as
  // the reference library changes it, and the file format becomes the current one.
  void noteSchemaChange();
  // The table a statement names; "no such table: name" otherwise.
  std::shared_ptr<Table> table(const std::string& name) const;
  // A writable cursor on the tree: the kept one when it is that tree's, a new one otherwise.
  std::unique_ptr<Cursor> takeWriteCursor(PageNumber root);
  void keepWriteCursor(PageNumber root, std::unique_ptr<Cursor> cursor);
  void dropWriteCursor();
};

// Keeps a table marked as being read for the lifetime of the object.
class ReadingTable {
 public:
  ReadingTable(Session& session, PageNumber root);
  ~ReadingTable();
  ReadingTable(const ReadingTable&) = delete;
  ReadingTable& operator=(const ReadingTable&) = delete;

 private:
  Session& session_;
  PageNumber root_;
};

// The statements. Each runs inside the transaction the caller opened (a write statement) or
// with the file at least share-locked (a read).
void runSelect(Session& session, const Select& select, const ResultRowCallback& onRow);
void runInsert(Session& session, const Insert& insert);
void runUpdate(Session& session, const Update& update);
void runDelete(Session& session, const Delete& del);
void runCreateTable(Session& session, const CreateTable& create, std::string_view text);
void runCreateIndex(Session& session, const CreateIndex& create, std::string_view text);
void runDropTable(Session& session, const DropTable& drop);
void runDropIndex(Session& session, const DropIndex& drop);
void runIntegrityCheck(Session& session, const ResultRowCallback& onRow);

}  // namespace sqlite2
