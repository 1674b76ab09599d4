#include "api/connection.h"

#include "api/edge.h"
#include "common/error.h"

namespace sqlite2::api {

bool isUsable(const sqlite* db) {
  return db && db->database && !db->closeRequested;
}

ActiveCall::~ActiveCall() {
  if (--db_->activeCalls == 0 && db_->closeRequested) delete db_;
}

}  // namespace sqlite2::api

sqlite* sqlite_open(const char* filename, int /*mode*/, char** errmsg) {
  if (errmsg) *errmsg = nullptr;
  if (!filename) {
    sqlite2::api::reportMisuse(errmsg);
    return nullptr;
  }
  sqlite* db = nullptr;
  int rc = sqlite2::api::runAtEdge(errmsg, [&] {
    std::unique_ptr<sqlite> opened(new sqlite);
    opened->database = sqlite2::Database::open(filename);
    db = opened.release();
  });
  return rc == SQLITE_OK ? db : nullptr;
}

void sqlite_close(sqlite* db) {
  if (!db || db->closeRequested) return;
  if (db->activeCalls > 0) {
    db->closeRequested = true;
    return;
  }
  // Closing rolls back an open transaction; a failure there has nobody left to report to.
  sqlite2::api::runAtEdge(nullptr, [&] { db->database.reset(); });
  delete db;
}

int sqlite_changes(sqlite* db) {
  int changes = 0;
  if (sqlite2::api::isUsable(db)) {
    sqlite2::api::runAtEdge(nullptr, [&] { changes = db->database->changes(); });
  }
  return changes;
}

int sqlite_last_insert_rowid(sqlite* db) {
  int rowid = 0;
  if (sqlite2::api::isUsable(db)) {
    sqlite2::api::runAtEdge(nullptr, [&] { rowid = db->database->lastInsertRowid(); });
  }
  return rowid;
}
