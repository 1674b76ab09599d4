#include <chrono>
#include <thread>

#include "api/busy_timeout.h"
#include "api/connection.h"
#include "api/edge.h"

namespace {

// Installs handler (an empty one removes any), keeping failures inside: these calls return
// nothing to report them with.
void installBusyHandler(sqlite* db, sqlite2::Database::BusyHandler handler) {
  if (!sqlite2::api::isUsable(db)) return;
  sqlite2::api::runAtEdge(nullptr, [&] { db->database->setBusyHandler(std::move(handler)); });
}

}  // namespace

void sqlite_busy_handler(sqlite* db, sqlite_busy_callback handler, void* arg) {
  if (!handler) {
    installBusyHandler(db, {});
    return;
  }
  installBusyHandler(db, [handler, arg](const char* tableName, int attempt) {
    return handler(arg, tableName, attempt) != 0;
  });
}

void sqlite_busy_timeout(sqlite* db, int ms) {
  if (ms <= 0) {
    installBusyHandler(db, {});
    return;
  }
  installBusyHandler(db, [ms](const char* /*tableName*/, int attempt) {
    const int delay = sqlite2::api::busyTimeoutDelay(ms, attempt);
    if (delay <= 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return true;
  });
}
