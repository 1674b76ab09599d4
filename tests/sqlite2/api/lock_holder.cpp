// orvalen_lock_holder FILE MODE: holds or tries a lock of the engine on FILE, for tests that
// watch the locks from another process (the Windows build's, as Linux programs see them
// through Wine). FILE holds a table t(a).
//
//   hold-read   reads t and, in the middle of it, prints "holding" and waits for a line on
//               standard input
//   hold-write  runs BEGIN and an INSERT into t, prints "holding", waits for a line, commits
//   try-read    runs SELECT count(*) FROM t at once, without waiting for a lock
//   try-write   runs INSERT INTO t at once, without waiting for a lock
//
// Each mode prints the result code of its last statement and the message, "0 ok" or, for
// instance, "5 database is locked". On Windows the file name comes in the ANSI code page:
// tests give an ASCII one.

#include <cstdio>
#include <iostream>
#include <string>

#include "sqlite.h"

namespace {

void waitForALine() {
  std::string line;
  std::getline(std::cin, line);
}

int holdInTheMiddleOfARow(void*, int, char**, char**) {
  std::printf("holding\n");
  std::fflush(stdout);
  waitForALine();
  return 1;  // one row is enough: the read ends here
}

int report(int code, char* message) {
  std::printf("%d %s\n", code, code == SQLITE_OK ? "ok" : (message ? message : ""));
  sqlite_freemem(message);
  return 0;
}

int run(sqlite* db, const std::string& mode) {
  char* message = nullptr;
  if (mode == "hold-read") {
    int code = sqlite_exec(db, "SELECT * FROM t", holdInTheMiddleOfARow, nullptr, &message);
    return report(code == SQLITE_ABORT ? SQLITE_OK : code, message);
  }
  if (mode == "hold-write") {
    int code =
        sqlite_exec(db, "BEGIN; INSERT INTO t VALUES('windows');", nullptr, nullptr, &message);
    if (code != SQLITE_OK) return report(code, message);
    std::printf("holding\n");
    std::fflush(stdout);
    waitForALine();
    code = sqlite_exec(db, "COMMIT", nullptr, nullptr, &message);
    return report(code, message);
  }
  const char* sql = mode == "try-read" ? "SELECT count(*) FROM t" : "INSERT INTO t VALUES('try')";
  const int code = sqlite_exec(db, sql, nullptr, nullptr, &message);
  return report(code, message);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: orvalen_lock_holder FILE hold-read|hold-write|try-read|try-write\n");
    return 2;
  }
  char* message = nullptr;
  sqlite* db = sqlite_open(argv[1], 0, &message);
  if (!db) {
    report(SQLITE_CANTOPEN, message);
    return 2;
  }
  run(db, argv[2]);
  sqlite_close(db);
  return 0;
}
