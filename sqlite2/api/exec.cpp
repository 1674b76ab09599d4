#include "api/connection.h"
#include "api/edge.h"

int sqlite_exec(sqlite* db, const char* sql, sqlite_callback callback, void* arg, char** errmsg) {
  if (errmsg) *errmsg = nullptr;
  if (!sqlite2::api::isUsable(db) || !sql) return sqlite2::api::reportMisuse(errmsg);
  sqlite2::api::ActiveCall call(db);
  return sqlite2::api::runAtEdge(errmsg, [&] {
    sqlite2::Database::RowCallback onRow;
    if (callback) {
      // The library's callback takes modifiable arrays; the engine's are not written to by
      // callers that keep to the library's rules.
      onRow = [&](int columnCount, const char* const* values, const char* const* names) {
        return callback(arg, columnCount, const_cast<char**>(values), const_cast<char**>(names)) ==
               0;
      };
    }
    db->database->execute(sql, onRow);
  });
}
