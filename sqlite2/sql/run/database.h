#pragma once

// One connection to an SQLite 2 database file: the SQL front end of the engine. The C
// interface (sqlite.h) is a thin wrapper over this class.
//
// Failures throw sqlite2::Error(code, message) with the result code and the exact text that
// the reference library's sqlite_exec / sqlite_open report for the same situation.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace sqlite2 {

class Database {
 public:
  // Opens the file (creating it, empty, when it does not exist and its directory is
  // writable) and loads the schema as sqlite_open does. Throws Error with the code and the
  // message sqlite_open hands back; the message may be empty, meaning "no message" (sqlite_open
  // then returns NULL without setting its error text).
  //
  // A database locked by another process is not an error here: the schema is then read by
  // the first statement.
  static std::unique_ptr<Database> open(const std::string& path);

  // Rolls back a transaction left open and releases the file.
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Receives one result row: the column count, the values (nullptr for SQL NULL) and the
  // column names, both arrays columnCount long and valid only during the call. Return true to
  // go on, false to stop: execute() then throws Error(SQLITE_ABORT, "") (no message), and the
  // statement's work up to then stays as it is (a SELECT changes nothing).
  //
  // Only statements that produce rows call it, once per row; a SELECT that finds no rows and
  // every other statement never call it. So sqlite_get_table sees a column count only from
  // statements that returned rows (nColumn = 0 when no statement did), and its
  // "incompatible queries" check compares only those.
  //
  // PRAGMA integrity_check produces one row whose column is named "integrity_check".
  using RowCallback =
      std::function<bool(int columnCount, const char* const* values, const char* const* names)>;

  // Runs every statement of sql in turn, as sqlite_exec does. Empty statements (";;") are
  // skipped. On the first failure throws Error(code, message): statements before it keep their
  // effects, the failing statement has none (inside BEGIN the transaction stays open). An
  // empty onRow (std::function without target) computes and drops the rows.
  //
  // A row callback may run statements on the same connection: reads, and writes to tables
  // other than those being read (a write to one of those fails with SQLITE_LOCKED "database
  // table is locked"; COMMIT and ROLLBACK are refused while a query is running).
  void execute(std::string_view sql, const RowCallback& onRow);

  // Rows inserted, updated or deleted by the statements of the last execute() call, summed
  // (sqlite_changes). Reset to 0 when execute() starts (not by a call made from a row
  // callback, which adds to it). DELETE without WHERE counts 0. As in the reference library,
  // rows a failing statement changed before it failed stay counted although they are undone,
  // while an error found before a statement starts (syntax, unknown table or column, ...)
  // leaves 0 for the whole call.
  int changes() const;

  // Row number of the most recent successful INSERT on this connection
  // (sqlite_last_insert_rowid); 0 before any. Failed inserts leave it unchanged.
  int lastInsertRowid() const;

  // Called when a lock cannot be had: handler(tableName, attempt) with attempt = 1, 2, 3 ...
  // and tableName "" when no table is concerned; true retries, false gives up and the
  // statement fails with SQLITE_BUSY "database is locked". An empty function removes the
  // handler (a lock conflict then fails at once).
  using BusyHandler = std::function<bool(const char* tableName, int attempt)>;
  void setBusyHandler(BusyHandler handler);

 private:
  Database();
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sqlite2
