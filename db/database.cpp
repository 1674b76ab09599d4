#include "db/database.h"

#include "sqlite.h"

namespace {

// Raises the library's failure `code`, handing over its error text (possibly null).
[[noreturn]] void raiseLibraryError(int code, char* text) {
  throw CppSQLiteException(code, text, true);
}

void releaseText(char* text) {
  if (text) sqlite_freemem(text);
}

}  // namespace

CppSQLiteDB::~CppSQLiteDB() {
  close();
}

void CppSQLiteDB::open(const char* path) {
  if (connection_) throw CppSQLiteException(CPPSQLITE_ERROR, "Database already open", false);
  char* error = nullptr;
  connection_ = sqlite_open(path, 0, &error);
  if (!connection_) raiseLibraryError(SQLITE_CANTOPEN, error);
  releaseText(error);
  sqlite_busy_timeout(connection_, busyTimeoutMs_);
}

void CppSQLiteDB::close() {
  if (!connection_) return;
  sqlite_close(connection_);
  connection_ = nullptr;
  inTransaction_ = false;
}

void CppSQLiteDB::checkOpen() const {
  if (!connection_) throw CppSQLiteException(CPPSQLITE_ERROR, "Database not open", false);
}

int CppSQLiteDB::runStatement(const char* sql) {
  checkOpen();
  char* error = nullptr;
  int result = sqlite_exec(connection_, sql, nullptr, nullptr, &error);
  if (result != SQLITE_OK) raiseLibraryError(result, error);
  releaseText(error);
  return sqlite_changes(connection_);
}

CppSQLiteTable CppSQLiteDB::queryTable(const char* sql) {
  checkOpen();
  char** cells = nullptr;
  int rows = 0;
  int columns = 0;
  char* error = nullptr;
  int result = sqlite_get_table(connection_, sql, &cells, &rows, &columns, &error);
  if (result != SQLITE_OK) {
    if (cells) sqlite_free_table(cells);
    raiseLibraryError(result, error);
  }
  releaseText(error);
  return CppSQLiteTable(cells, rows, columns);
}

int CppSQLiteDB::lastInsertRowId() {
  checkOpen();
  return sqlite_last_insert_rowid(connection_);
}
