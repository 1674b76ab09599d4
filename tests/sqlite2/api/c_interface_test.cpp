// The memory and error rules of the C interface: what is handed back, who frees it, and what
// a call with a NULL or closed handle does. Run under AddressSanitizer in CI, which also
// checks that every text is released by the matching call.
#include <sys/stat.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sqlite.h"
#include "support/temp_dir.h"

namespace {

using orvalen::test::TempDir;

class CInterfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char* message = nullptr;
    db_ = sqlite_open(dir_.file("t.db").c_str(), 0, &message);
    ASSERT_NE(db_, nullptr) << (message ? message : "");
    ASSERT_EQ(message, nullptr);
    ASSERT_EQ(sqlite_exec(db_,
                          "CREATE TABLE t(a, b); INSERT INTO t VALUES(1, 'x');"
                          "INSERT INTO t VALUES(2, NULL);",
                          nullptr, nullptr, nullptr),
              SQLITE_OK);
  }
  void TearDown() override { sqlite_close(db_); }

  TempDir dir_;
  sqlite* db_ = nullptr;
};

struct Collected {
  std::vector<std::string> rows;
  int stopAfter = -1;
};

int collect(void* arg, int columns, char** values, char** /*names*/) {
  auto* collected = static_cast<Collected*>(arg);
  std::string row;
  for (int i = 0; i < columns; ++i)
    row += (i ? "|" : "") + std::string(values[i] ? values[i] : "NULL");
  collected->rows.push_back(row);
  return static_cast<int>(collected->rows.size()) == collected->stopAfter;
}

TEST(CInterfaceOpenTest, CreatesAMissingFileEmpty) {
  TempDir dir;
  char* message = reinterpret_cast<char*>(1);
  sqlite* db = sqlite_open(dir.file("new.db").c_str(), 0644, &message);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(message, nullptr);
  struct stat info {};
  ASSERT_EQ(stat(dir.file("new.db").c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 0);
  sqlite_close(db);
}

TEST(CInterfaceOpenTest, FailuresHandBackAMessageToFree) {
  TempDir dir;
  char* message = nullptr;
  const std::string missing = dir.file("no/such/dir.db");
  EXPECT_EQ(sqlite_open(missing.c_str(), 0, &message), nullptr);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(std::string(message), "unable to open database: " + missing);
  sqlite_freemem(message);

  orvalen::test::writeFile(dir.file("junk.db"), std::string(2048, '\x5a'));
  EXPECT_EQ(sqlite_open(dir.file("junk.db").c_str(), 0, &message), nullptr);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "file is encrypted or is not a database");
  sqlite_freemem(message);

  // No place for the message is fine too.
  EXPECT_EQ(sqlite_open(missing.c_str(), 0, nullptr), nullptr);
  EXPECT_EQ(sqlite_open(nullptr, 0, &message), nullptr);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "library routine called out of sequence");
  sqlite_freemem(message);
}

TEST_F(CInterfaceTest, ExecReportsErrorsWithAllocatedTexts) {
  char* message = reinterpret_cast<char*>(1);
  EXPECT_EQ(sqlite_exec(db_, "SELECT * FROM t;", nullptr, nullptr, &message), SQLITE_OK);
  EXPECT_EQ(message, nullptr);
  EXPECT_EQ(sqlite_exec(db_, "SELECT * FROM nosuch;", nullptr, nullptr, &message), SQLITE_ERROR);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "no such table: nosuch");
  sqlite_freemem(message);
  EXPECT_EQ(sqlite_exec(db_, "SELECT * FROM nosuch;", nullptr, nullptr, nullptr), SQLITE_ERROR);
}

TEST_F(CInterfaceTest, CallbackStopsWithAbortAndNoMessage) {
  Collected collected;
  collected.stopAfter = 1;
  char* message = reinterpret_cast<char*>(1);
  EXPECT_EQ(sqlite_exec(db_, "SELECT * FROM t; INSERT INTO t VALUES(3, 3);", collect, &collected,
                        &message),
            SQLITE_ABORT);
  EXPECT_EQ(message, nullptr);
  EXPECT_EQ(collected.rows, std::vector<std::string>{"1|x"});
  // The statement after the stopped one did not run.
  Collected all;
  EXPECT_EQ(sqlite_exec(db_, "SELECT a FROM t;", collect, &all, nullptr), SQLITE_OK);
  EXPECT_EQ(all.rows, (std::vector<std::string>{"1", "2"}));
}

TEST_F(CInterfaceTest, GetTableArrayAndItsRelease) {
  char** result = nullptr;
  int rows = -1;
  int columns = -1;
  char* message = nullptr;
  ASSERT_EQ(sqlite_get_table(db_, "SELECT a, b FROM t;", &result, &rows, &columns, &message),
            SQLITE_OK);
  ASSERT_EQ(rows, 2);
  ASSERT_EQ(columns, 2);
  EXPECT_STREQ(result[0], "a");
  EXPECT_STREQ(result[1], "b");
  EXPECT_STREQ(result[2], "1");
  EXPECT_STREQ(result[3], "x");
  EXPECT_STREQ(result[4], "2");
  EXPECT_EQ(result[5], nullptr);
  sqlite_free_table(result);

  ASSERT_EQ(
      sqlite_get_table(db_, "SELECT a FROM t WHERE a = 9;", &result, &rows, &columns, &message),
      SQLITE_OK);
  EXPECT_NE(result, nullptr);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(columns, 0);
  sqlite_free_table(result);

  EXPECT_EQ(sqlite_get_table(db_, "SELECT nosuch FROM t;", &result, &rows, &columns, &message),
            SQLITE_ERROR);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(columns, 0);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "no such column: nosuch");
  sqlite_freemem(message);

  EXPECT_EQ(sqlite_get_table(db_, "SELECT a FROM t; SELECT * FROM t;", &result, &rows, &columns,
                             &message),
            SQLITE_ERROR);
  EXPECT_EQ(result, nullptr);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "sqlite_get_table() called with two or more incompatible queries");
  sqlite_freemem(message);

  // The counts and the message are optional.
  ASSERT_EQ(sqlite_get_table(db_, "SELECT * FROM t;", &result, nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite_free_table(result);
  sqlite_free_table(nullptr);
}

TEST_F(CInterfaceTest, NullArgumentsAreRefused) {
  char* message = nullptr;
  EXPECT_EQ(sqlite_exec(nullptr, "SELECT 1;", nullptr, nullptr, &message), SQLITE_MISUSE);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "library routine called out of sequence");
  sqlite_freemem(message);
  EXPECT_EQ(sqlite_exec(db_, nullptr, nullptr, nullptr, nullptr), SQLITE_MISUSE);
  char** result = reinterpret_cast<char**>(1);
  int rows = -1;
  EXPECT_EQ(sqlite_get_table(nullptr, "SELECT 1;", &result, &rows, nullptr, nullptr),
            SQLITE_MISUSE);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(sqlite_get_table(db_, "SELECT * FROM t;", nullptr, nullptr, nullptr, nullptr),
            SQLITE_MISUSE);
  EXPECT_EQ(sqlite_changes(nullptr), 0);
  EXPECT_EQ(sqlite_last_insert_rowid(nullptr), 0);
  sqlite_busy_timeout(nullptr, 100);
  sqlite_busy_handler(nullptr, nullptr, nullptr);
  sqlite_close(nullptr);
}

TEST_F(CInterfaceTest, ChangesAndLastRowNumber) {
  EXPECT_EQ(sqlite_exec(db_, "INSERT INTO t VALUES(3, 3); INSERT INTO t VALUES(4, 4);", nullptr,
                        nullptr, nullptr),
            SQLITE_OK);
  EXPECT_EQ(sqlite_changes(db_), 2);
  EXPECT_EQ(sqlite_last_insert_rowid(db_), 4);
  EXPECT_EQ(sqlite_exec(db_, "SELECT * FROM t;", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(sqlite_changes(db_), 0);
  EXPECT_EQ(sqlite_last_insert_rowid(db_), 4);
}

struct CloseFromCallback {
  sqlite* db;
  int rows = 0;
  int laterCall = -1;
};

int closeOnFirstRow(void* arg, int, char**, char**) {
  auto* state = static_cast<CloseFromCallback*>(arg);
  if (++state->rows == 1) {
    sqlite_close(state->db);
    state->laterCall = sqlite_exec(state->db, "SELECT 1;", nullptr, nullptr, nullptr);
  }
  return 0;
}

TEST(CInterfaceCloseTest, CloseInsideACallbackTakesEffectWhenTheCallReturns) {
  TempDir dir;
  sqlite* db = sqlite_open(dir.file("t.db").c_str(), 0, nullptr);
  ASSERT_NE(db, nullptr);
  ASSERT_EQ(sqlite_exec(db, "CREATE TABLE t(a); INSERT INTO t VALUES(1); INSERT INTO t VALUES(2);",
                        nullptr, nullptr, nullptr),
            SQLITE_OK);
  CloseFromCallback state{db};
  EXPECT_EQ(sqlite_exec(db, "SELECT a FROM t;", closeOnFirstRow, &state, nullptr), SQLITE_OK);
  EXPECT_EQ(state.rows, 2);
  EXPECT_EQ(state.laterCall, SQLITE_MISUSE);
  // db is gone now; the sanitizers see a leak or a second free if it is not handled right.
}

struct NestedQuery {
  sqlite* db;
  std::vector<int> innerResults;
};

int runNestedQuery(void* arg, int, char**, char**) {
  auto* nested = static_cast<NestedQuery*>(arg);
  Collected inner;
  nested->innerResults.push_back(
      sqlite_exec(nested->db, "SELECT a FROM t;", collect, &inner, nullptr));
  nested->innerResults.push_back(static_cast<int>(inner.rows.size()));
  return 0;
}

TEST_F(CInterfaceTest, QueriesMayRunFromInsideACallback) {
  NestedQuery nested{db_, {}};
  EXPECT_EQ(sqlite_exec(db_, "SELECT a FROM t;", runNestedQuery, &nested, nullptr), SQLITE_OK);
  EXPECT_EQ(nested.innerResults, (std::vector<int>{SQLITE_OK, 2, SQLITE_OK, 2}));
}

struct BusyLog {
  std::vector<int> attempts;
  int giveUpAfter = 3;
};

int recordBusy(void* arg, const char* tableName, int attempt) {
  auto* log = static_cast<BusyLog*>(arg);
  EXPECT_NE(tableName, nullptr);
  log->attempts.push_back(attempt);
  return attempt < log->giveUpAfter;
}

TEST_F(CInterfaceTest, BusyHandlerIsAskedThenTheStatementFails) {
  sqlite* writer = sqlite_open(dir_.file("t.db").c_str(), 0, nullptr);
  ASSERT_NE(writer, nullptr);
  ASSERT_EQ(sqlite_exec(writer, "BEGIN; INSERT INTO t VALUES(9, 9);", nullptr, nullptr, nullptr),
            SQLITE_OK);

  BusyLog log;
  sqlite_busy_handler(db_, recordBusy, &log);
  char* message = nullptr;
  EXPECT_EQ(sqlite_exec(db_, "SELECT * FROM t;", nullptr, nullptr, &message), SQLITE_BUSY);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "database is locked");
  sqlite_freemem(message);
  EXPECT_EQ(log.attempts, (std::vector<int>{1, 2, 3}));

  sqlite_busy_timeout(db_, 30);
  EXPECT_EQ(sqlite_exec(db_, "SELECT * FROM t;", nullptr, nullptr, nullptr), SQLITE_BUSY);
  EXPECT_EQ(log.attempts.size(), 3u);  // the timeout replaced the handler

  sqlite_busy_timeout(db_, 0);
  EXPECT_EQ(sqlite_exec(db_, "SELECT * FROM t;", nullptr, nullptr, nullptr), SQLITE_BUSY);

  ASSERT_EQ(sqlite_exec(writer, "COMMIT;", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite_close(writer);
  Collected rows;
  EXPECT_EQ(sqlite_exec(db_, "SELECT a FROM t;", collect, &rows, nullptr), SQLITE_OK);
  EXPECT_EQ(rows.rows.size(), 3u);
}

}  // namespace
