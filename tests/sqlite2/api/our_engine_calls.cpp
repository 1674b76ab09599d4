#include "engine_calls.h"
#include "sqlite.h"

namespace orvalen::test {

namespace {

sqlite* handle(void* db) {
  return static_cast<sqlite*>(db);
}

void* openDatabase(const char* path, int mode, char** errmsg) {
  return sqlite_open(path, mode, errmsg);
}
void closeDatabase(void* db) {
  sqlite_close(handle(db));
}
int exec(void* db, const char* sql, sqlite2_reference_callback callback, void* arg, char** errmsg) {
  return sqlite_exec(handle(db), sql, callback, arg, errmsg);
}
int getTable(void* db, const char* sql, char*** result, int* rows, int* columns, char** errmsg) {
  return sqlite_get_table(handle(db), sql, result, rows, columns, errmsg);
}
int changes(void* db) {
  return sqlite_changes(handle(db));
}
int lastInsertRowid(void* db) {
  return sqlite_last_insert_rowid(handle(db));
}
void busyTimeout(void* db, int ms) {
  sqlite_busy_timeout(handle(db), ms);
}

}  // namespace

const EngineCalls& ourEngineCalls() {
  static const EngineCalls calls = [] {
    EngineCalls table{};
    table.version = sqlite_libversion();
    table.open = openDatabase;
    table.close = closeDatabase;
    table.exec = exec;
    table.get_table = getTable;
    table.free_table = sqlite_free_table;
    table.changes = changes;
    table.last_insert_rowid = lastInsertRowid;
    table.busy_timeout = busyTimeout;
    table.mprintf = sqlite_mprintf;
    table.freemem = sqlite_freemem;
    table.error_string = sqlite_error_string;
    return table;
  }();
  return calls;
}

}  // namespace orvalen::test
