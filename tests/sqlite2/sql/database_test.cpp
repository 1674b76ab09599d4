// The connection on our engine alone: what the differential tests cannot show (several
// connections, callbacks that run statements, schemas written by hand, locks).

#include "sql/run/database.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "btree/btree.h"
#include "common/error.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "sql/run/row_scanner.h"
#include "sqlite.h"
#include "support/temp_dir.h"
#include "twin_databases.h"

namespace sqlite2 {
namespace {

using orvalen::test::Outcome;
using orvalen::test::runOurs;
using orvalen::test::TempDir;

std::vector<std::string> column(const Outcome& outcome, size_t index = 0) {
  std::vector<std::string> values;
  for (const auto& row : outcome.rows) values.push_back(row[index] ? *row[index] : "NULL");
  return values;
}

// Writes sqlite_master rows (type, name, tbl_name, rootpage, sql) into a fresh file, with a
// tree for every non-zero root, as another program might have left them.
void writeSchemaRows(const std::string& path, const std::vector<std::vector<Value>>& rows,
                     int32_t fileFormat = 4) {
  std::unique_ptr<Btree> btree = Btree::open(path, PagerOptions{});
  btree->beginTransaction();
  for (const std::vector<Value>& row : rows) {
    if (row[3] && *row[3] != "0") {
      PageNumber root = btree->createTree();
      ASSERT_EQ(std::to_string(root), *row[3]) << "roots must be listed in allocation order";
    }
  }
  Cursor cursor(*btree, kSchemaRoot, true);
  int32_t rowNumber = 0;
  for (const std::vector<Value>& row : rows) {
    cursor.insert(encodeTableKey(++rowNumber), encodeRecord(row));
  }
  MetaValues meta = btree->readMeta();
  meta[1] = 17;
  meta[2] = fileFormat;
  btree->writeMeta(meta);
  btree->commit();
}

class DatabaseTest : public ::testing::Test {
 protected:
  std::unique_ptr<Database> open() { return Database::open(path_); }
  Outcome run(const std::string& sql) { return runOurs(*db_, sql); }

  TempDir dir_;
  std::string path_ = dir_.file("test.db");
  std::unique_ptr<Database> db_ = Database::open(path_);
};

TEST_F(DatabaseTest, CallbackStopsTheQueryWithAbortAndNoMessage) {
  run("create table t(a); insert into t values(1); insert into t values(2);");
  int calls = 0;
  try {
    db_->execute("select a from t; insert into t values(3)",
                 [&calls](int, const char* const*, const char* const*) {
                   ++calls;
                   return false;
                 });
    FAIL() << "no abort";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), SQLITE_ABORT);
    EXPECT_STREQ(error.what(), "");
  }
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(column(run("select count(*) from t")), std::vector<std::string>{"2"});
}

TEST_F(DatabaseTest, StatementsRunFromARowCallback) {
  run("create table t(a); create table log(a); insert into t values(1); insert into t values(2)");
  std::vector<Outcome> nested;
  db_->execute("select a from t", [&](int, const char* const* values, const char* const*) {
    nested.push_back(run(std::string("insert into log values(") + values[0] + ")"));
    nested.push_back(run("insert into t values(99)"));
    nested.push_back(run("update t set a = 5"));
    nested.push_back(run("commit"));
    nested.push_back(run("drop table t"));
    return true;
  });
  ASSERT_EQ(nested.size(), 10u);
  EXPECT_EQ(nested[0].code, SQLITE_OK);
  EXPECT_EQ(nested[1].code, SQLITE_LOCKED);
  EXPECT_EQ(nested[1].message, "database table is locked");
  EXPECT_EQ(nested[2].code, SQLITE_LOCKED);
  EXPECT_EQ(nested[3].message, "cannot commit - no transaction is active");
  EXPECT_EQ(nested[4].code, SQLITE_LOCKED);
  EXPECT_EQ(column(run("select a from log")), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(column(run("select a from t")), (std::vector<std::string>{"1", "2"}));
  // Once the reading statement is over, the table can be written again.
  EXPECT_EQ(run("insert into t values(3)").code, SQLITE_OK);
}

// A view's rows are gathered before they are handed on: its callback may drop the view and
// its table. A temporary table being read is locked as a table of the file is.
TEST_F(DatabaseTest, ViewsAndTemporaryTablesUnderARunningQuery) {
  run("create table t(a); insert into t values(1); insert into t values(2);"
      "create view v as select a * 10 b from t; create temp table x(a); insert into x values(7)");
  std::vector<std::string> seen;
  std::vector<Outcome> nested;
  db_->execute("select b from v", [&](int, const char* const* values, const char* const*) {
    seen.push_back(values[0]);
    nested.push_back(run("drop view v"));
    nested.push_back(run("drop table t"));
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"10", "20"}));
  ASSERT_EQ(nested.size(), 4u);
  EXPECT_EQ(nested[0].code, SQLITE_OK);
  EXPECT_EQ(nested[1].code, SQLITE_OK);
  EXPECT_EQ(nested[2].message, "no such table: v");
  nested.clear();
  db_->execute("select a from x", [&](int, const char* const*, const char* const*) {
    nested.push_back(run("drop table x"));
    nested.push_back(run("insert into x values(8)"));
    nested.push_back(run("create table t(a); insert into t select a from x"));
    return true;
  });
  ASSERT_EQ(nested.size(), 3u);
  EXPECT_EQ(nested[0].code, SQLITE_LOCKED);
  EXPECT_EQ(nested[1].code, SQLITE_LOCKED);
  EXPECT_EQ(nested[2].code, SQLITE_OK);
  EXPECT_EQ(column(run("select a from t")), (std::vector<std::string>{"7"}));
}

TEST_F(DatabaseTest, ValuesGivenToARowCallbackStayWholeWhileItRunsStatements) {
  // Short rows are handed on from where they lie in the file's pages, long ones from a copy;
  // both must hold still while the callback reads, writes elsewhere and fails a statement.
  run("create table t(a, b); create table log(x unique);"
      "insert into t values(1, 'short');"
      "insert into t values(2, '" +
      std::string(5000, 'L') +
      "');"
      "insert into t values(3, NULL);"
      "insert into t values(4, ''); begin");
  std::vector<std::string> seen;
  db_->execute("select a, b, a || '!' from t", [&](int count, const char* const* values,
                                                   const char* const*) {
    std::vector<std::string> before;
    for (int i = 0; i < count; ++i) before.push_back(values[i] ? values[i] : "NULL");
    for (int i = 0; i < 100; ++i) {
      run("insert into log values('" + before[0] + "-" + std::to_string(i) + "')");
    }
    EXPECT_EQ(run("insert into log values('" + before[0] + "-0')").code, SQLITE_CONSTRAINT);
    run("select * from t; select * from log");
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(values[i] ? values[i] : "NULL", before[i]) << "row " << before[0] << " col " << i;
    }
    seen.push_back(before[0] + ":" + before[1].substr(0, 5) + ":" + before[2]);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"1:short:1!", "2:LLLLL:2!", "3:NULL:3!", "4::4!"}));
  EXPECT_EQ(run("commit").code, SQLITE_OK);
  EXPECT_EQ(column(run("select count(*) from log")), std::vector<std::string>{"400"});
}

TEST_F(DatabaseTest, ValuesGivenToARowCallbackOutliveAFailedStatementAndAFullCache) {
  // A failed statement inside the callback makes the running query let go of its place in the
  // tree, and a long read after it cycles every page of the cache: the row's values must still
  // be what they were. The rows of t fill many pages, so that most are not on its root.
  const std::string padding(80, '.');
  std::string fill =
      "begin; create table t(a, b); create table big(x); create table u(a unique);"
      "insert into u values(1);";
  for (int row = 1; row <= 300; ++row) {
    fill += "insert into t values(" + std::to_string(row) + ", 'row " + std::to_string(row) +
            padding + "');";
  }
  for (int row = 0; row < 2600; ++row) fill += "insert into big values(NULL);";
  ASSERT_EQ(run(fill + "commit").code, SQLITE_OK);
  ASSERT_EQ(run("update big set x = '" + std::string(900, 'x') + "'").code, SQLITE_OK);
  int rows = 0;
  db_->execute("select a, b from t", [&](int, const char* const* values, const char* const*) {
    const std::string a = values[0], b = values[1];
    if (++rows % 60 == 0) {
      EXPECT_EQ(run("insert into u values(1)").code, SQLITE_CONSTRAINT);
      EXPECT_EQ(run("select x from big").rows.size(), 2600u);
    }
    EXPECT_EQ(values[0], a);
    EXPECT_EQ(values[1], b);
    EXPECT_EQ(b, "row " + a + padding);
    return true;
  });
  EXPECT_EQ(rows, 300);
}

TEST_F(DatabaseTest, EndingATransactionUnderARunningQueryIsRefused) {
  run("create table t(a); insert into t values(1); begin; insert into t values(2)");
  Outcome commit, rollback;
  db_->execute("select a from t", [&](int, const char* const*, const char* const*) {
    commit = run("commit");
    rollback = run("rollback");
    return true;
  });
  EXPECT_EQ(commit.message, "cannot commit transaction - SQL statements in progress");
  EXPECT_EQ(rollback.message, "cannot rollback transaction - SQL statements in progress");
  EXPECT_EQ(run("commit").code, SQLITE_OK);
  EXPECT_EQ(column(run("select count(*) from t")), std::vector<std::string>{"2"});
}

TEST_F(DatabaseTest, ChangesCountTheLastCallOnlyAndNestedCallsAddToIt) {
  run("create table t(a); create table u(a); insert into t values(1); insert into t values(2)");
  EXPECT_EQ(run("update t set a = a + 1").changes, 2);
  EXPECT_EQ(run("select * from t").changes, 0);
  db_->execute("update t set a = 0; select a from t",
               [&](int, const char* const*, const char* const*) {
                 run("insert into u values(1)");
                 return true;
               });
  EXPECT_EQ(db_->changes(), 4);
  EXPECT_EQ(db_->lastInsertRowid(), 2);
}

TEST_F(DatabaseTest, FailedStatementLeavesLastInsertRowidAndUndoesItself) {
  run("create table t(a unique, b); insert into t values(1, 1)");
  EXPECT_EQ(db_->lastInsertRowid(), 1);
  run("begin; insert into t values(2, 2)");
  Outcome failed = run("update t set a = 2 where a = 1; insert into t values(5, 5)");
  EXPECT_EQ(failed.code, SQLITE_CONSTRAINT);
  EXPECT_EQ(failed.lastInsertRowid, 2);
  run("insert into t values(3, 3); commit");
  EXPECT_EQ(column(run("select a from t")), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(column(run("pragma integrity_check")), std::vector<std::string>{"ok"});
}

TEST_F(DatabaseTest, SchemaChangedByAnotherConnectionIsNoticed) {
  std::unique_ptr<Database> other = open();
  run("create table t(a, b)");
  Outcome seen = runOurs(*other, "insert into t values(1, 'x'); select * from t");
  EXPECT_EQ(seen.code, SQLITE_OK) << seen;
  // An index made elsewhere is kept current by this connection's writes.
  runOurs(*other, "create unique index tb on t(b)");
  EXPECT_EQ(run("insert into t values(2, 'x')").message, "column b is not unique");
  EXPECT_EQ(run("insert into t values(2, 'y')").code, SQLITE_OK);
  EXPECT_EQ(column(runOurs(*other, "select a from t where b = 'y'")),
            std::vector<std::string>{"2"});
  runOurs(*other, "drop table t");
  EXPECT_EQ(run("select * from t").message, "no such table: t");
  EXPECT_EQ(column(run("pragma integrity_check")), std::vector<std::string>{"ok"});
}

MetaValues metaOf(const std::string& path) {
  std::unique_ptr<Btree> btree = Btree::open(path, PagerOptions{});
  return btree->readMeta();
}

TEST_F(DatabaseTest, SchemaCookieMovesOncePerTransactionThatChangesTheSchema) {
  MetaValues fresh = metaOf(path_);
  EXPECT_EQ(fresh[2], 0);
  run("create table a(x)");
  MetaValues first = metaOf(path_);
  EXPECT_EQ(first[2], 4);  // the file format
  EXPECT_GE(first[1], 1);
  EXPECT_LE(first[1], 256);
  run("begin; create table b(x); create index bx on b(x); drop table a; create table c(x); commit");
  MetaValues batch = metaOf(path_);
  int64_t moved = static_cast<int64_t>(batch[1]) - first[1];
  EXPECT_GE(moved, 1);
  EXPECT_LE(moved, 256);
  // A transaction that undoes its schema change leaves the cookie; so does plain data.
  run("begin; create table d(x); rollback; insert into b values(1)");
  EXPECT_EQ(metaOf(path_)[1], batch[1]);
  run("create table e(x); create table f(x)");
  EXPECT_GE(static_cast<int64_t>(metaOf(path_)[1]) - batch[1], 2);
}

// Another connection sees a trigger made or dropped here by the moved cookie, and runs it as
// it then stands; a temporary trigger is this connection's alone and leaves the file as it is.
TEST_F(DatabaseTest, TriggersMoveTheCookieAndReachOtherConnections) {
  run("create table t(a); create table log(x)");
  std::unique_ptr<Database> other = open();
  ASSERT_EQ(runOurs(*other, "insert into t values(0)").code, SQLITE_OK);
  const int32_t before = metaOf(path_)[1];
  run("create trigger g after insert on t begin insert into log values(new.a); end");
  const int32_t made = metaOf(path_)[1];
  EXPECT_NE(made, before);
  run("create temp trigger h after insert on t begin insert into log values(-new.a); end");
  EXPECT_EQ(metaOf(path_)[1], made);
  ASSERT_EQ(runOurs(*other, "insert into t values(1)").code, SQLITE_OK);
  run("insert into t values(2)");
  EXPECT_EQ(column(run("select x from log")), (std::vector<std::string>{"1", "-2", "2"}));
  run("drop trigger g");
  EXPECT_NE(metaOf(path_)[1], made);
  ASSERT_EQ(runOurs(*other, "insert into t values(3)").code, SQLITE_OK);
  EXPECT_EQ(column(run("select count(*) from log")), std::vector<std::string>{"3"});
}

TEST_F(DatabaseTest, BusyHandlerIsAskedWhileAnotherConnectionWrites) {
  run("create table t(a)");
  std::unique_ptr<Database> writer = open();
  runOurs(*writer, "begin; insert into t values(1)");
  Outcome noHandler = run("select * from t");
  EXPECT_EQ(noHandler.code, SQLITE_BUSY);
  EXPECT_EQ(noHandler.message, "database is locked");
  std::vector<int> attempts;
  std::vector<std::string> tables;
  db_->setBusyHandler([&](const char* table, int attempt) {
    attempts.push_back(attempt);
    tables.push_back(table);
    return attempt < 3;
  });
  EXPECT_EQ(run("insert into t values(2)").code, SQLITE_BUSY);
  EXPECT_EQ(attempts, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(tables, (std::vector<std::string>{"", "", ""}));
  runOurs(*writer, "commit");
  EXPECT_EQ(column(run("select a from t")), std::vector<std::string>{"1"});
}

TEST_F(DatabaseTest, AQueryHoldsItsReadLockUntilItEnds) {
  run("create table t(a); insert into t values(1); insert into t values(2)");
  std::unique_ptr<Database> writer = open();
  std::vector<int> codes;
  db_->execute("select a from t", [&](int, const char* const*, const char* const*) {
    codes.push_back(runOurs(*writer, "insert into t values(3)").code);
    return true;
  });
  EXPECT_EQ(codes, (std::vector<int>{SQLITE_BUSY, SQLITE_BUSY}));
  // Between statements no lock is held.
  EXPECT_EQ(runOurs(*writer, "insert into t values(3)").code, SQLITE_OK);
}

TEST_F(DatabaseTest, LockedAtOpenMeansTheSchemaIsReadLater) {
  run("create table t(a); insert into t values(1)");
  run("begin; insert into t values(2)");
  std::unique_ptr<Database> late = open();
  EXPECT_EQ(runOurs(*late, "select * from t").code, SQLITE_BUSY);
  run("commit");
  EXPECT_EQ(column(runOurs(*late, "select a from t")), (std::vector<std::string>{"1", "2"}));
}

TEST_F(DatabaseTest, StoredSchemaRowsAreTakenAsTheReferenceTakesThem) {
  std::string path = dir_.file("schema.db");
  writeSchemaRows(path, {
                            {"table", "t", "t", "3", "create table t(a unique, b)"},
                            {"index", "(t autoindex 1)", "t", "4", Value()},
                            {"table", "bad", "bad", "5", "create table bad(a,"},
                            {"index", "orphan", "nosuch", "6", "create index orphan on nosuch(a)"},
                            {"table", "t", "t", "7", "create table t(z)"},
                            {"index", "ghost", "t", "8", Value()},
                            {"index", "tb", "t", "9", "create index tb on t(b)"},
                        });
  std::unique_ptr<Database> db = Database::open(path);
  EXPECT_EQ(runOurs(*db, "select * from bad").message, "no such table: bad");
  EXPECT_EQ(runOurs(*db, "insert into t values(1, 2)").code, SQLITE_OK);
  EXPECT_EQ(runOurs(*db, "insert into t values(1, 3)").message, "column a is not unique");
  EXPECT_EQ(column(runOurs(*db, "select a from t where b = 2")), std::vector<std::string>{"1"});
  EXPECT_EQ(runOurs(*db, "drop index orphan").message, "no such index: orphan");
  // Rows left out of the schema still count for the page check: only the index check of
  // the known indexes speaks.
  EXPECT_EQ(column(runOurs(*db, "pragma integrity_check")), std::vector<std::string>{"ok"});
}

TEST_F(DatabaseTest, SchemaRowsThatStopTheOpen) {
  std::string noType = dir_.file("notype.db");
  writeSchemaRows(noType, {{Value(), "t", "t", "3", "create table t(a)"}});
  try {
    Database::open(noType);
    FAIL() << "opened";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "malformed database schema");
  }
  std::string noRoot = dir_.file("noroot.db");
  writeSchemaRows(noRoot, {{"table", "t", "t", Value(), "create table t(a)"}});
  EXPECT_THROW(Database::open(noRoot), Error);
  std::string oddType = dir_.file("oddtype.db");
  writeSchemaRows(oddType, {{"xyz", "t", "t", "3", "create table t(a)"}});
  try {
    Database::open(oddType);
    FAIL() << "opened";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "");
  }
  std::string newer = dir_.file("newer.db");
  writeSchemaRows(newer, {{"table", "t", "t", "3", "create table t(a)"}}, 5);
  try {
    Database::open(newer);
    FAIL() << "opened";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "unsupported file format");
  }
}

TEST_F(DatabaseTest, ViewsAreReadOnlyAndTheTriggersOfAFileRun) {
  std::string path = dir_.file("objects.db");
  writeSchemaRows(path,
                  {
                      {"table", "t", "t", "3", "create table t(a, b)"},
                      {"view", "v", "v", "0", "create view v as select a from t"},
                      {"trigger", "g", "t", "0",
                       "create trigger g after insert on t begin insert into w values(new.b); end"},
                      {"table", "u", "u", "4", "create table u(a unique on conflict replace)"},
                      {"table", "w", "w", "5", "create table w(a)"},
                  });
  std::unique_ptr<Database> db = Database::open(path);
  EXPECT_EQ(runOurs(*db, "select * from v").code, SQLITE_OK);
  EXPECT_EQ(runOurs(*db, "insert into v values(1)").message,
            "cannot modify v because it is a view");
  EXPECT_EQ(runOurs(*db, "drop table v").message, "use DROP VIEW to delete view v");
  EXPECT_EQ(runOurs(*db, "create table v(a)").message, "table v already exists");
  // The trigger (stored before the table it writes to) runs.
  EXPECT_EQ(runOurs(*db, "insert into t values(1, 2)").code, SQLITE_OK);
  EXPECT_EQ(column(runOurs(*db, "select a from w")), (std::vector<std::string>{"2"}));
  EXPECT_EQ(runOurs(*db, "delete from t").code, SQLITE_OK);
  EXPECT_EQ(runOurs(*db, "update u set a = 1").code, SQLITE_OK);
  EXPECT_EQ(runOurs(*db, "insert into w values(1)").code, SQLITE_OK);
  // Dropping the table takes its trigger with it.
  EXPECT_EQ(runOurs(*db, "drop table t").code, SQLITE_OK);
  EXPECT_EQ(column(runOurs(*db, "select name from sqlite_master")),
            (std::vector<std::string>{"v", "u", "w"}));
  EXPECT_EQ(runOurs(*db, "select * from v").message, "no such table: main.t");
}

// A line with fewer fields than the table has columns leaves the others NULL (the reference
// library fills them with what an earlier line left behind); fields split on the whole
// delimiter text.
TEST_F(DatabaseTest, CopyFillsMissingFieldsWithNull) {
  std::string data = dir_.file("data.txt");
  orvalen::test::writeFile(data, "1\tone\tx\n3\tthree\nd:e:f\n");
  std::unique_ptr<Database> db = Database::open(path_);
  ASSERT_EQ(runOurs(*db, "create table t(a, b, c)").code, SQLITE_OK);
  ASSERT_EQ(runOurs(*db, "copy t from '" + data + "'").code, SQLITE_OK);
  EXPECT_EQ(column(runOurs(*db, "select quote(c) from t")),
            (std::vector<std::string>{"'x'", "NULL", "NULL"}));
  ASSERT_EQ(runOurs(*db, "copy t from '" + data + "' using delimiters '::'").code, SQLITE_OK);
  EXPECT_EQ(
      column(runOurs(*db, "select quote(a) || quote(b) from t where rowid > 3")),
      (std::vector<std::string>{"'1	one	x'NULL", "'3	three'NULL", "'d:e:f'NULL"}));
}

// Temporary tables stay with their connection: another connection's schema change makes
// this one read the file's schema again without losing them, and closing removes their file.
TEST_F(DatabaseTest, TemporaryTablesOutliveSchemaReloadsAndGoAtClose) {
  std::unique_ptr<Database> db = Database::open(path_);
  ASSERT_EQ(runOurs(*db, "create temp table x(a unique); insert into x values(1)").code, SQLITE_OK);
  Outcome list = runOurs(*db, "pragma database_list");
  ASSERT_EQ(list.rows.size(), 2u);
  ASSERT_TRUE(list.rows[1][2]);
  std::string temporaryFile = *list.rows[1][2];
  EXPECT_TRUE(orvalen::test::fileExists(temporaryFile));
  {
    std::unique_ptr<Database> other = Database::open(path_);
    EXPECT_EQ(runOurs(*other, "select * from x").message, "no such table: x");
    ASSERT_EQ(runOurs(*other, "create table m(b)").code, SQLITE_OK);
  }
  EXPECT_EQ(column(runOurs(*db, "select a from x")), (std::vector<std::string>{"1"}));
  EXPECT_EQ(runOurs(*db, "insert into x values(1)").message, "column a is not unique");
  EXPECT_EQ(runOurs(*db, "insert into m select a from x").code, SQLITE_OK);
  db.reset();
  EXPECT_FALSE(orvalen::test::fileExists(temporaryFile));
  EXPECT_FALSE(orvalen::test::fileExists(temporaryFile + "-journal"));
}

// VACUUM of a file without tables, and from a row callback while a table is read.
TEST_F(DatabaseTest, VacuumOfAnEmptyFileAndUnderARunningQuery) {
  EXPECT_EQ(run("vacuum").code, SQLITE_OK);
  EXPECT_EQ(column(run("pragma integrity_check")), (std::vector<std::string>{"ok"}));
  run("create table t(a); insert into t values(1); create table u(b); insert into u values(2);"
      "delete from u");
  std::vector<Outcome> nested;
  db_->execute("select a from t", [&](int, const char* const*, const char* const*) {
    nested.push_back(run("vacuum"));
    return true;
  });
  ASSERT_EQ(nested.size(), 1u);
  EXPECT_EQ(nested[0].message, "database table is locked");
  EXPECT_EQ(run("vacuum").code, SQLITE_OK);
  EXPECT_EQ(column(run("select a from t")), (std::vector<std::string>{"1"}));
  EXPECT_EQ(column(run("pragma integrity_check")), (std::vector<std::string>{"ok"}));
}

// A file may define views through each other; reading one then fails instead of expanding
// the views without end.
TEST_F(DatabaseTest, ViewsDefinedThroughEachOtherFailWhenRead) {
  std::string path = dir_.file("circular.db");
  writeSchemaRows(path, {
                            {"view", "a", "a", "0", "create view a as select * from b"},
                            {"view", "b", "b", "0", "create view b as select x from a"},
                            {"view", "c", "c", "0", "create view c as select * from c"},
                        });
  std::unique_ptr<Database> db = Database::open(path);
  EXPECT_EQ(runOurs(*db, "select * from a").message, "view a is circularly defined");
  EXPECT_EQ(runOurs(*db, "select 1 from b, c").message, "view b is circularly defined");
  EXPECT_EQ(runOurs(*db, "drop view c").code, SQLITE_OK);
}

TEST_F(DatabaseTest, IntegrityCheckFindsIndexesOutOfStep) {
  run("create table t(a, b); create index ia on t(a); create index ib on t(b)");
  run("insert into t values(1, 'x'); insert into t values(2, 'y'); insert into t values(3, 'z')");
  db_.reset();
  {
    // Take one entry out of index ia behind the engine's back (its root is page 4).
    std::unique_ptr<Btree> btree = Btree::open(path_, PagerOptions{});
    btree->beginTransaction();
    Cursor cursor(*btree, 4, true);
    ASSERT_TRUE(cursor.first());
    ASSERT_TRUE(cursor.next());
    cursor.remove();
    btree->commit();
  }
  db_ = open();
  EXPECT_EQ(column(run("pragma integrity_check")),
            (std::vector<std::string>{"rowid 2 missing from index ia",
                                      "wrong # of entries in index ia"}));
}

TEST_F(DatabaseTest, RowNumbersAtTheEdges) {
  run("create table t(id integer primary key, a)");
  EXPECT_EQ(run("insert into t values(-5, 'a'); insert into t(a) values('b')").lastInsertRowid, -4);
  run("insert into t values(2147483647, 'top')");
  std::vector<int> chosen;
  for (int i = 0; i < 20; ++i) {
    Outcome inserted = run("insert into t(a) values('random')");
    ASSERT_EQ(inserted.code, SQLITE_OK) << inserted;
    chosen.push_back(inserted.lastInsertRowid);
    EXPECT_GT(inserted.lastInsertRowid, 0);
    EXPECT_LT(inserted.lastInsertRowid, 2147483647);
  }
  EXPECT_EQ(column(run("select count(*) from t where a = 'random'")),
            std::vector<std::string>{"20"});
  EXPECT_EQ(run("insert into t values(2147483648, 'x')").code, SQLITE_MISMATCH);
  EXPECT_EQ(run("insert into t values(-2147483649, 'x')").code, SQLITE_MISMATCH);
  EXPECT_EQ(run("insert into t values(-2147483648, 'bottom')").code, SQLITE_OK);
  EXPECT_EQ(column(run("select id from t where id < 0")),
            (std::vector<std::string>{"-2147483648", "-5", "-4"}));
}

// Compiling, evaluating and freeing an expression go one call deeper per level of nesting;
// the reference library itself is killed by a stack overflow on a long enough chain.
TEST_F(DatabaseTest, ExpressionsNestedTooDeeplyAreRefusedInsteadOfOverflowingTheStack) {
  const auto repeated = [](const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
  };
  constexpr int kFarTooDeep = 200000;
  for (const std::string& sql :
       {"select " + repeated("(", kFarTooDeep) + "1" + repeated(")", kFarTooDeep),
        "select 1" + repeated(" + 1", kFarTooDeep), "select " + repeated("- ", kFarTooDeep) + "1",
        "select " + repeated("not ", kFarTooDeep) + "1",
        "select 1" + repeated(" isnull", kFarTooDeep)}) {
    Outcome refused = run(sql);
    EXPECT_EQ(refused.code, SQLITE_ERROR) << sql.substr(0, 40);
    EXPECT_EQ(refused.message, "expression nested too deeply") << sql.substr(0, 40);
  }
  run("create table t(a)");
  run("insert into t values(1)");
  Outcome update = run("update t set a = 1" + repeated(" + a", kFarTooDeep));
  EXPECT_EQ(update.code, SQLITE_ERROR);
  EXPECT_EQ(column(run("select a from t")), (std::vector<std::string>{"1"}));

  // Nesting as deep as the reference library takes, and long chains, still run.
  EXPECT_EQ(column(run("select " + repeated("(", 90) + "1" + repeated(")", 90))),
            (std::vector<std::string>{"1"}));
  EXPECT_EQ(column(run("select 1" + repeated(" + 1", 900))), (std::vector<std::string>{"901"}));
  EXPECT_EQ(column(run("select a from t where " + repeated("a = 2 or ", 900) + "a = 1")),
            (std::vector<std::string>{"1"}));
  // The bound: a thousand levels, the literal included.
  EXPECT_EQ(column(run("select " + repeated("- ", 999) + "1")), (std::vector<std::string>{"-1"}));
  EXPECT_EQ(run("select " + repeated("- ", 1000) + "1").code, SQLITE_ERROR);
}

TEST_F(DatabaseTest, RecordsAboveTheLimitAreRefused) {
  run("create table t(a)");
  Outcome tooBig = run("insert into t values('" + std::string(1048570, 'x') + "')");
  EXPECT_EQ(tooBig.code, SQLITE_TOOBIG);
  EXPECT_EQ(tooBig.message, "too much data for one table row");
  EXPECT_EQ(run("insert into t values('" + std::string(1048572, 'x') + "')").code, SQLITE_TOOBIG);
  // Exactly 1048576 bytes: two 3-byte offsets, the value and its terminator.
  EXPECT_EQ(run("insert into t values('" + std::string(1048569, 'x') + "')").code, SQLITE_OK);
}

// Where the reference library answers wrongly, this engine answers as the statement says.

TEST_F(DatabaseTest, IntegerComparisonsDoNotOverflow) {
  // The reference library compares two integers by subtracting them: 2147483647 > -1 is 0.
  EXPECT_EQ(run("select 2147483647 > -1, 2000000000 > -2000000000, -2147483647 - 1 < 1").rows,
            (std::vector<std::vector<std::optional<std::string>>>{{"1", "1", "1"}}));
  run("create table t(id integer primary key, a)");
  run("insert into t values(-2147483648, 'min'); insert into t values(-5, 'm'); "
      "insert into t values(2, 'two')");
  EXPECT_EQ(column(run("select id from t where id <= 1")),
            (std::vector<std::string>{"-2147483648", "-5"}));
  EXPECT_EQ(column(run("select id from t where id + 0 <= 1")),
            (std::vector<std::string>{"-2147483648", "-5"}));
}

TEST_F(DatabaseTest, LowestIntegerDividedByMinusOneWrapsInsteadOfTrapping) {
  // The reference library is killed by the processor's division trap here.
  EXPECT_EQ(run("select (-2147483647 - 1) / -1, (-2147483647 - 1) % -1, 123456789012 % -1, "
                "-123456789012 / -1")
                .rows,
            (std::vector<std::vector<std::optional<std::string>>>{
                {"-2147483648", "0", "0", "123456789012"}}));
}

TEST_F(DatabaseTest, RowNumberRangesWithNullOrHugeBoundsFindNothing) {
  // The reference library takes every row for an upper bound of NULL, and nearly every row
  // for a lower bound above the 32-bit range.
  run("create table t(id integer primary key, a); insert into t values(1, 'x');"
      "insert into t values(2, 'y')");
  for (const char* condition :
       {"rowid < NULL", "rowid <= NULL", "NULL > rowid", "id <= NULL", "rowid > NULL",
        "rowid > 123456789012", "id >= 4294967297", "123456789012 < rowid"}) {
    EXPECT_TRUE(run(std::string("select * from t where ") + condition).rows.empty()) << condition;
  }
  EXPECT_EQ(column(run("select id from t where id < 123456789012")),
            (std::vector<std::string>{"1", "2"}));
}

TEST_F(DatabaseTest, FailedUniqueIndexInsideATransactionLeavesNothing) {
  // The reference library keeps the half-filled index and its schema row.
  run("create table t(a); insert into t values(1); insert into t values(1)");
  run("begin");
  EXPECT_EQ(run("create unique index u on t(a)").message, "indexed columns are not unique");
  run("commit");
  EXPECT_EQ(column(run("select name from sqlite_master")), std::vector<std::string>{"t"});
  EXPECT_EQ(column(run("pragma integrity_check")), std::vector<std::string>{"ok"});
}

TEST_F(DatabaseTest, UndoingAFailedStatementKeepsLongValuesWhole) {
  // Both sequences lose data in the reference library: a value cut short, index entries gone.
  std::string longText(1730, 'h');
  run("create table t1(c0 integer primary key, c1 blob); create unique index i2 on t1(c1)");
  run("begin; insert into t1(c1) values('" + longText + "'); insert into t1 values(NULL, '05')");
  EXPECT_EQ(run("update t1 set c1 = 1.5 where c1 <> 2").code, SQLITE_CONSTRAINT);
  run("end");
  EXPECT_EQ(column(run("select c1 from t1 where c0 = 1")), std::vector<std::string>{longText});

  run("create table t0(c0 integer, c1 varchar(10), c2 blob unique not null, "
      "c3 varchar(10) unique, unique(c0, c1))");
  run("insert into t0 values(-0.0, ' 5', '" + std::string(300, 't') + "', NULL)");
  run("begin; update t0 set c3 = 'ABC' where c2 > 'abc'; insert into t0 values(1, 'ABC', ' 5', "
      "10)");
  run("update t0 set c0 = c0 || 'u' where not c2 = '5'");
  EXPECT_EQ(run("update t0 set c2 = c2 + 1 where c0 <> 10").code, SQLITE_CONSTRAINT);
  run("end");
  EXPECT_EQ(column(run("select c2 from t0 where c1 = ' 5'")),
            std::vector<std::string>{std::string(300, 't')});
  EXPECT_EQ(column(run("pragma integrity_check")), std::vector<std::string>{"ok"});
}

TEST_F(DatabaseTest, AfterEachWayATransactionEndsAnotherConnectionMayWrite) {
  // The cursor kept from one INSERT to the next holds pages, and so the file's lock, until
  // the transaction ends: committed, rolled back, after a failed statement, or on its own.
  run("create table t(id integer primary key, v); create table u(a)");
  std::unique_ptr<Database> other = open();
  int next = 100;
  auto otherWrites = [&] {
    return runOurs(*other, "insert into u values(" + std::to_string(++next) + ")").code;
  };
  run("insert into t values(1, 'a')");
  EXPECT_EQ(otherWrites(), SQLITE_OK);
  run("begin; insert into t values(2, 'b'); insert into t values(3, 'c'); commit");
  EXPECT_EQ(otherWrites(), SQLITE_OK);
  run("begin; insert into t values(4, 'd'); rollback");
  EXPECT_EQ(otherWrites(), SQLITE_OK);
  run("begin; insert into t values(5, 'e')");
  EXPECT_EQ(run("insert into t values(5, 'again')").code, SQLITE_CONSTRAINT);
  run("insert into t values(6, 'f'); end");
  EXPECT_EQ(otherWrites(), SQLITE_OK);
  EXPECT_EQ(run("insert into t values(6, 'again')").code, SQLITE_CONSTRAINT);
  EXPECT_EQ(otherWrites(), SQLITE_OK);
  EXPECT_EQ(column(run("select id from t")), (std::vector<std::string>{"1", "2", "3", "5", "6"}));
}

TEST_F(DatabaseTest, InsertsInOneTransactionStayRightAcrossTablesAndChanges) {
  // Rows appended to two tables in turn, with reads, updates, deletes, a failed insert and
  // schema changes between them.
  run("create table a(id integer primary key, v); create table b(id integer primary key, v)");
  run("begin");
  std::vector<std::string> expectedA, expectedB;
  for (int i = 1; i <= 600; ++i) {
    const std::string id = std::to_string(i);
    run("insert into a values(" + id + ", '" + std::string(40 + i % 50, 'a') + "')");
    expectedA.push_back(id);
    if (i % 3 == 0) {
      run("insert into b(v) values('" + std::string(90, 'b') + "')");
      expectedB.push_back(std::to_string(expectedB.size() + 1));
    }
    if (i % 97 == 0) {
      EXPECT_EQ(column(run("select count(*) from a")),
                std::vector<std::string>{std::to_string(expectedA.size())});
      EXPECT_EQ(run("insert into a values(" + id + ", 'twice')").code, SQLITE_CONSTRAINT);
      run("update a set v = 'changed' where id = " + std::to_string(i / 2));
    }
    if (i == 300) {
      run("delete from a where id > 250");
      expectedA.resize(250);
    }
    if (i == 450) {
      run("drop table b; create table b(id integer primary key, v)");
      expectedB.clear();
    }
  }
  run("commit");
  EXPECT_EQ(column(run("select id from a")), expectedA);
  EXPECT_EQ(column(run("select id from b")), expectedB);
  EXPECT_EQ(column(run("select v from a where id = 97")), std::vector<std::string>{"changed"});
  EXPECT_EQ(column(run("pragma integrity_check")), std::vector<std::string>{"ok"});
}

TEST(RowNumberText, ExactIntegersOnlyWhateverTheirSpelling) {
  const std::vector<std::pair<std::string, std::optional<int32_t>>> cases = {
      {"7", 7},
      {"007", 7},
      {"+5", 5},
      {"-0", 0},
      {"-123456789", -123456789},
      {"999999999", 999999999},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"12.0", 12},
      {"1e3", 1000},
      {"12.5", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {" 5", std::nullopt},
      {"5x", std::nullopt},
      // Bytes next to the digits, and one above 0x7f, are no digits.
      {"5:", std::nullopt},
      {"/5", std::nullopt},
      {"5\xb9", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(exactRowNumber(text), expected) << text;
}

}  // namespace
}  // namespace sqlite2
