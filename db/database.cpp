#include "db/database.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "sqlite.h"

namespace {

// Raises the library's failure `code`, handing over its error text (possibly null).
[[noreturn]] void raiseLibraryError(int code, char* text) {
  throw CppSQLiteException(code, text, true);
}

void releaseText(char* text) {
  if (text) sqlite_freemem(text);
}

// sqlite_open tells why it failed by its text only. The library's standard text of a result
// code names the code; any other text (a path it could not open) is of no known kind.
FailureKind openFailureKind(const char* text) {
  if (!text) return FailureKind::kOther;
  for (int code : {SQLITE_BUSY, SQLITE_CORRUPT, SQLITE_NOTADB, SQLITE_FULL}) {
    if (std::strcmp(text, sqlite_error_string(code)) == 0) return failureKindOfCode(code);
  }
  return FailureKind::kOther;
}

long long nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Pauses between attempts at a lock: short at first, so a lock held for a moment costs little,
// then a tenth of a second.
int pauseBeforeAttemptMs(int attempt) {
  static constexpr int kFirstPauses[] = {1, 2, 5, 10, 20, 50};
  constexpr int kCount = sizeof kFirstPauses / sizeof kFirstPauses[0];
  return attempt >= 1 && attempt <= kCount ? kFirstPauses[attempt - 1] : 100;
}

}  // namespace

// Tells the observer once a statement's waiting is over, however the statement ends.
class CppSQLiteDB::LockWait {
 public:
  explicit LockWait(CppSQLiteDB& db) : db_(db) { db_.waiting_ = false; }
  ~LockWait() {
    if (!db_.waiting_) return;
    db_.waiting_ = false;
    if (db_.busyObserver_) db_.busyObserver_->waitEnds();
  }
  LockWait(const LockWait&) = delete;
  LockWait& operator=(const LockWait&) = delete;

 private:
  CppSQLiteDB& db_;
};

CppSQLiteDB::~CppSQLiteDB() {
  close();
}

void CppSQLiteDB::open(const char* path) {
  if (connection_) throw CppSQLiteException(CPPSQLITE_ERROR, "Database already open", false);
  char* error = nullptr;
  connection_ = sqlite_open(path, 0, &error);
  if (!connection_) throw CppSQLiteException(SQLITE_CANTOPEN, error, true, openFailureKind(error));
  releaseText(error);
  sqlite_busy_timeout(connection_, busyTimeoutMs_);
  if (busyObserver_) installBusyHandler();
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
  int result = SQLITE_OK;
  {
    LockWait wait(*this);
    result = sqlite_exec(connection_, sql, nullptr, nullptr, &error);
  }
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
  int result = SQLITE_OK;
  {
    LockWait wait(*this);
    result = sqlite_get_table(connection_, sql, &cells, &rows, &columns, &error);
  }
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

void CppSQLiteDB::setBusyObserver(CppSQLiteBusyObserver* observer) {
  busyObserver_ = observer;
  if (connection_) {
    if (observer) {
      installBusyHandler();
    } else {
      sqlite_busy_timeout(connection_, busyTimeoutMs_);
    }
  }
}

// Waits as the busy time-out does, but tells the observer when a wait begins.
void CppSQLiteDB::installBusyHandler() {
  if (busyTimeoutMs_ > 0) sqlite_busy_handler(connection_, &CppSQLiteDB::onBusy, this);
}

int CppSQLiteDB::onBusy(void* self, const char* /*tableName*/, int attempt) {
  return static_cast<CppSQLiteDB*>(self)->keepWaiting(attempt) ? 1 : 0;
}

bool CppSQLiteDB::keepWaiting(int attempt) {
  const long long now = nowMs();
  // Each lock the statement needs gets the whole time-out, as with the library's own handler.
  if (attempt <= 1) lockWaitStartMs_ = now;
  if (!waiting_) {
    waiting_ = true;
    if (busyObserver_) busyObserver_->waitBegins();
  }
  const long long left = busyTimeoutMs_ - (now - lockWaitStartMs_);
  if (left <= 0) return false;
  const long long pause = std::min<long long>(pauseBeforeAttemptMs(attempt), left);
  std::this_thread::sleep_for(std::chrono::milliseconds(pause));
  return true;
}
