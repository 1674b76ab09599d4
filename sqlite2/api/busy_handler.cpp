#include <chrono>
#include <thread>

#include "api/busy_timeout.h"
#include "api/connection.h"

void sqlite_busy_handler(sqlite* db, sqlite_busy_callback handler, void* arg) {
  if (!sqlite2::api::isUsable(db)) return;
  if (!handler) {
    db->database->setBusyHandler({});
    return;
  }
  db->database->setBusyHandler([handler, arg](const char* tableName, int attempt) {
    return handler(arg, tableName, attempt) != 0;
  });
}

void sqlite_busy_timeout(sqlite* db, int ms) {
  if (!sqlite2::api::isUsable(db)) return;
  if (ms <= 0) {
    db->database->setBusyHandler({});
    return;
  }
  db->database->setBusyHandler([ms](const char* /*tableName*/, int attempt) {
    const int delay = sqlite2::api::busyTimeoutDelay(ms, attempt);
    if (delay <= 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return true;
  });
}
