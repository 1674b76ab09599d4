#pragma once

// The plugin file access layer's wrapper over the SQLite 2 C interface (sqlite.h):
//   CppSQLiteDB         one connection to one database file;
//   CppSQLiteTable      the whole result of one query, in memory (db/table.h);
//   CppSQLiteException  the one error type, thrown for every failure (db/exception.h).

#include "db/exception.h"
#include "db/table.h"

typedef struct sqlite sqlite;

class CppSQLiteDB {
 public:
  // Closed, with a busy time-out of one minute.
  CppSQLiteDB() = default;
  // Closes the connection, if open.
  virtual ~CppSQLiteDB();
  CppSQLiteDB(const CppSQLiteDB&) = delete;
  CppSQLiteDB& operator=(const CppSQLiteDB&) = delete;

  // Opens the database file at path (passed to the library unchanged; a missing file is made
  // empty) and applies the busy time-out. A failed open raises code 14 (SQLITE_CANTOPEN) with
  // the library's text and leaves the object closed. Opening an object that is already open
  // raises CPPSQLITE_ERROR "Database already open" and keeps the open connection.
  void open(const char* path);
  // Closes the connection; does nothing when closed.
  void close();

  // Runs statements that return no rows; returns the number of rows they changed. After a
  // failure the connection stays open and usable.
  int runStatement(const char* sql);
  // Runs one query and returns its whole result.
  CppSQLiteTable queryTable(const char* sql);
  // The row id of the most recent successful insert on this connection.
  int lastInsertRowId();

 private:
  friend class ScopedTransaction;

  void checkOpen() const;

  sqlite* connection_ = nullptr;
  int busyTimeoutMs_ = 60000;
  // Whether a ScopedTransaction holds an open transaction on this connection.
  bool inTransaction_ = false;
};
