// Cases where Orvalen's engine once answered differently from the reference library, each cut
// down to the statements that showed it; and cases where the library itself goes wrong,
// where our engine must do the sound thing instead.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "database_dump.h"
#include "differential_expectations.h"
#include "engine_calls.h"
#include "statement_outcome.h"
#include "support/reference_engine.h"

namespace orvalen::test {
namespace {

using DifferentialRegressionTest = TwinDatabaseTest;

TEST_F(DifferentialRegressionTest, InsertNamingAMissingColumnIsReportedBeforeConstraints) {
  expectSameStatements(twins(), {
                                    "CREATE TABLE t(a, b NOT NULL);",
                                    "INSERT INTO t(nosuch) VALUES(1);",
                                });
}

// A statement failing on its second row leaves the first row's change counted, as the
// library does (its work is undone all the same).
TEST_F(DifferentialRegressionTest, UpdateFailingOnItsSecondRowCountsTheFirst) {
  expectSameStatements(twins(), {
                                    "CREATE TABLE t(a INTEGER PRIMARY KEY, b);",
                                    "INSERT INTO t VALUES(1, 'x');",
                                    "INSERT INTO t VALUES(2, 'y');",
                                    "UPDATE t SET a = 5;",
                                    "SELECT * FROM t;",
                                    "BEGIN;",
                                    "UPDATE t SET a = 7;",
                                    "COMMIT;",
                                    "SELECT * FROM t;",
                                });
  expectSameGetTable(twins(), "UPDATE t SET a = 9;");
}

// The library refuses a UNIQUE index over rows with several NULLs, although it lets such rows
// into an existing one.
TEST_F(DifferentialRegressionTest, UniqueIndexOverSeveralNullsIsRefused) {
  expectSameStatements(twins(), {
                                    "CREATE TABLE t(a CHAR(10));",
                                    "INSERT INTO t VALUES(NULL);",
                                    "INSERT INTO t VALUES(NULL);",
                                    "INSERT INTO t VALUES('5');",
                                    "CREATE UNIQUE INDEX i ON t(a);",
                                    "CREATE TABLE u(a);",
                                    "CREATE UNIQUE INDEX j ON u(a);",
                                    "INSERT INTO u VALUES(NULL);",
                                    "INSERT INTO u VALUES(NULL);",
                                    "SELECT count(*) FROM u;",
                                });
}

// Where the library is at fault: our engine is checked on its own, with the reference's
// integrity check as the judge.
class LibraryFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reference_ = referenceEngine(&why_);
    if (!reference_) GTEST_SKIP() << "reference engine unavailable: " << why_;
    path_ = dir_.file("t.db");
    db_ = ourEngineCalls().open(path_.c_str(), 0, nullptr);
    ASSERT_NE(db_, nullptr);
  }
  void TearDown() override {
    if (db_) ourEngineCalls().close(db_);
  }

  StatementOutcome run(const std::string& sql) { return execOutcome(ourEngineCalls(), db_, sql); }
  std::string integrity() const { return integrityCheck(*reference_, path_); }
  std::string schema() const {
    std::string rows;
    for (const std::string& row : referenceQuery(path_, "SELECT type, name FROM sqlite_master;")) {
      rows += row + ";";
    }
    return rows;
  }

  std::string why_;
  const sqlite2_reference* reference_ = nullptr;
  TempDir dir_;
  std::string path_;
  void* db_ = nullptr;
};

// The library commits a UNIQUE index whose creation failed inside a transaction, half built,
// so that its own integrity check then fails.
TEST_F(LibraryFaultTest, FailedUniqueIndexInsideATransactionLeavesNothing) {
  ASSERT_EQ(run("CREATE TABLE t(a, b); INSERT INTO t VALUES(1, 1); INSERT INTO t VALUES(1, 2);"
                "INSERT INTO t VALUES(2, 3);")
                .rc,
            0);
  ASSERT_EQ(run("BEGIN;").rc, 0);
  const StatementOutcome failed = run("CREATE UNIQUE INDEX i ON t(a);");
  EXPECT_EQ(failed.rc, 19);
  EXPECT_EQ(failed.error, std::optional<std::string>("indexed columns are not unique"));
  EXPECT_EQ(run("INSERT INTO t VALUES(5, 5);").rc, 0);
  ASSERT_EQ(run("COMMIT;").rc, 0);
  EXPECT_EQ(integrity(), "ok");
  EXPECT_EQ(schema(), "table|t;");
}

// The library loses the pages that a statement failing half way inside a transaction had
// added: after COMMIT they are neither used nor free.
TEST_F(LibraryFaultTest, FailedUpdateInsideATransactionLeaksNoPages) {
  ASSERT_EQ(
      run("CREATE TABLE t(a UNIQUE); INSERT INTO t VALUES('x'); INSERT INTO t VALUES('y');").rc, 0);
  ASSERT_EQ(run("BEGIN;").rc, 0);
  EXPECT_EQ(run("UPDATE t SET a = '" + std::string(3000, 'z') + "';").rc, 19);
  ASSERT_EQ(run("COMMIT;").rc, 0);
  EXPECT_EQ(integrity(), "ok");
  EXPECT_EQ(referenceQuery(path_, "SELECT a FROM t;"), (std::vector<std::string>{"x", "y"}));
}

// The library's search on the row number takes NULL for a bound: "id <= NULL" gives every
// row, and inside UPDATE fails with "datatype mismatch". A comparison with NULL is never true.
TEST_F(LibraryFaultTest, RowNumberRangeAgainstNullMatchesNothing) {
  ASSERT_EQ(run("CREATE TABLE t(id INTEGER PRIMARY KEY, b); INSERT INTO t VALUES(1, 'x');"
                "INSERT INTO t VALUES(5, 'y');")
                .rc,
            0);
  for (const char* sql :
       {"SELECT * FROM t WHERE id <= NULL;", "SELECT * FROM t WHERE rowid > NULL;",
        "SELECT * FROM t WHERE id < 2 AND id <= NULL;",
        "SELECT * FROM t WHERE NOT (id >= NULL);"}) {
    const StatementOutcome outcome = run(sql);
    EXPECT_EQ(outcome.rc, 0) << sql;
    EXPECT_TRUE(outcome.rows.empty()) << sql;
  }
  const StatementOutcome update = run("UPDATE t SET b = 'z' WHERE id <= NULL;");
  EXPECT_EQ(update.rc, 0);
  EXPECT_EQ(update.changes, 0);
  EXPECT_EQ(referenceQuery(path_, "SELECT b FROM t;"), (std::vector<std::string>{"x", "y"}));
}

// With rows numbered near the smallest row number, the library's range searches on the row
// number compare by subtraction, overflow and find nothing: "id <= 5" misses every row.
TEST_F(LibraryFaultTest, RowNumberRangeNearTheLimitsFindsEveryRow) {
  ASSERT_EQ(
      run("CREATE TABLE t(id INTEGER PRIMARY KEY, a); INSERT INTO t VALUES(-2147483648, 'min');"
          "INSERT INTO t VALUES(-5, 'm5'); INSERT INTO t VALUES(1, 'one');")
          .rc,
      0);
  EXPECT_EQ(run("SELECT id FROM t WHERE id <= 5;").rows.size(), 3u);
  EXPECT_EQ(run("SELECT id FROM t WHERE id < 2147483647;").rows.size(), 3u);
  EXPECT_EQ(run("SELECT id FROM t WHERE id > -2147483648;").rows.size(), 2u);
  const StatementOutcome removed = run("DELETE FROM t WHERE id <= 108;");
  EXPECT_EQ(removed.rc, 0);
  EXPECT_EQ(removed.changes, 3);
  EXPECT_TRUE(referenceQuery(path_, "SELECT * FROM t;").empty());
}

// The library compares two integers by subtracting them in 32 bits: 2147483647 < -6 holds and
// -2147483648 > -2147483647 does not.
TEST_F(LibraryFaultTest, IntegerComparisonsDoNotOverflow) {
  ASSERT_EQ(run("CREATE TABLE t(a INT); INSERT INTO t VALUES(2147483647); INSERT INTO t "
                "VALUES(-2147483648);"
                "INSERT INTO t VALUES(5);")
                .rc,
            0);
  const std::vector<std::vector<Cell>> minimum{{Cell("-2147483648")}};
  EXPECT_EQ(run("SELECT a FROM t WHERE a < -6;").rows, minimum);
  EXPECT_EQ(run("SELECT a FROM t WHERE -6 > a;").rows, minimum);
  const std::vector<std::vector<Cell>> aboveMinimum{{Cell("2147483647")}, {Cell("5")}};
  EXPECT_EQ(run("SELECT a FROM t WHERE a > -2147483647;").rows, aboveMinimum);
}

// The library reads past the end of the text for a string literal left open at the very end
// ("select 'abc" gives a row "abcc"); ours reports the token.
TEST_F(LibraryFaultTest, StringLiteralOpenAtTheEndIsAnError) {
  ASSERT_EQ(run("CREATE TABLE t(a);").rc, 0);
  for (const char* sql :
       {"select 'abc", "SELECT * FROM t WHERE a = 'abc", "INSERT INTO t VALUES('x"}) {
    const StatementOutcome outcome = run(sql);
    EXPECT_EQ(outcome.rc, 1) << sql;
    EXPECT_TRUE(outcome.error.has_value()) << sql;
    EXPECT_TRUE(outcome.rows.empty()) << sql;
  }
  EXPECT_EQ(integrity(), "ok");
}

}  // namespace
// typeof() is known before its argument runs, but an aggregate inside it still makes the
// query an aggregate one (found by the statement fuzzer: the argument was freed too early).
TEST_F(DifferentialRegressionTest, TypeofOfAnAggregateStillAggregates) {
  expectSameStatements(twins(),
                       {
                           "CREATE TABLE t(a, b TEXT);",
                           "INSERT INTO t VALUES(1, 'x');",
                           "INSERT INTO t VALUES(2, 'y');",
                           "SELECT typeof(count(*)), typeof(max(b)), typeof(sum(a)) FROM t;",
                           "SELECT a, typeof(min(b)) FROM t GROUP BY a ORDER BY a;",
                       });
}

}  // namespace orvalen::test
