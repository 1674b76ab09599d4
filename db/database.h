#pragma once

// The plugin file access layer's wrapper over the SQLite 2 C interface (sqlite.h):
//   CppSQLiteDB         one connection to one database file;
//   CppSQLiteTable      the whole result of one query, in memory (db/table.h);
//   CppSQLiteException  the one error type, thrown for every failure (db/exception.h).

#include "db/exception.h"
#include "db/table.h"

typedef struct sqlite sqlite;

// Told when a statement starts waiting for a lock that another program holds, and when it
// stops waiting (it got the lock, or the busy time-out passed and it fails as busy). Both run
// on the thread that runs the statement, which is blocked in between; they must not throw.
class CppSQLiteBusyObserver {
 public:
  virtual ~CppSQLiteBusyObserver() = default;
  virtual void waitBegins() = 0;
  virtual void waitEnds() = 0;
};

class CppSQLiteDB {
 public:
  static constexpr int kDefaultBusyTimeoutMs = 60000;

  // Closed, with a busy time-out of one minute (or the one given, in milliseconds).
  CppSQLiteDB() = default;
  explicit CppSQLiteDB(int busyTimeoutMs) : busyTimeoutMs_(busyTimeoutMs) {}
  // Closes the connection, if open.
  virtual ~CppSQLiteDB();
  CppSQLiteDB(const CppSQLiteDB&) = delete;
  CppSQLiteDB& operator=(const CppSQLiteDB&) = delete;

  // Opens the database file at path (passed to the library unchanged; a missing file is made
  // empty) and applies the busy time-out. A failed open raises code 14 (SQLITE_CANTOPEN) with
  // the library's text and leaves the object closed; its kind is read from that text. Opening an
  // object that is already open raises CPPSQLITE_ERROR "Database already open" and keeps the open
  // connection.
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

  // From now on observer (nullptr: nobody) hears of every wait for a lock. The waits keep the
  // busy time-out.
  void setBusyObserver(CppSQLiteBusyObserver* observer);

 private:
  friend class ScopedTransaction;
  class LockWait;

  void checkOpen() const;
  void installBusyHandler();
  static int onBusy(void* self, const char* tableName, int attempt);
  bool keepWaiting(int attempt);

  sqlite* connection_ = nullptr;
  int busyTimeoutMs_ = kDefaultBusyTimeoutMs;
  CppSQLiteBusyObserver* busyObserver_ = nullptr;
  // Whether the running statement has told the observer that it waits; when this lock's wait
  // began.
  bool waiting_ = false;
  long long lockWaitStartMs_ = 0;
  // Whether a ScopedTransaction holds an open transaction on this connection.
  bool inTransaction_ = false;
};
