// The database wrapper on our own SQLite 2 engine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/database.h"
#include "plugin_file.h"
#include "process_probe.h"
#include "support/temp_dir.h"

namespace {

using orvalen::test::TempDir;
using plugin_test::rowsOf;
using testing::ElementsAre;

std::string failureOf(CppSQLiteDB& db, const char* sql) {
  try {
    db.runStatement(sql);
  } catch (const CppSQLiteException& error) {
    return error.message();
  }
  return "no failure";
}

TEST(EngineWrapper, OpenFailuresAreCantOpenAndLeaveTheObjectClosed) {
  TempDir dir;
  orvalen::test::writeFile(dir.file("junk.vdb"), std::string(3000, '\x5A'));
  for (const std::string& path : {dir.path(), dir.file("missing/x.vdb"), dir.file("junk.vdb")}) {
    CppSQLiteDB db;
    try {
      db.open(path.c_str());
      ADD_FAILURE() << path << " opened";
    } catch (const CppSQLiteException& error) {
      EXPECT_EQ(error.code(), 14) << path;
      EXPECT_THAT(error.message(), testing::StartsWith("SQLITE_CANTOPEN[14]: ")) << path;
    }
    EXPECT_EQ(failureOf(db, "select 1;"), "CPPSQLITE_ERROR[1000]: Database not open");
  }
  EXPECT_EQ(orvalen::test::readFile(dir.file("junk.vdb")), std::string(3000, '\x5A'));
}

TEST(EngineWrapper, StatementsQueriesAndTheirFailures) {
  TempDir dir;
  CppSQLiteDB db;
  db.open(dir.file("w.db").c_str());
  EXPECT_EQ(db.runStatement("create table t (id integer primary key, a, b);"), 0);
  EXPECT_EQ(db.runStatement("insert into t (a, b) values ('x', NULL);"), 1);
  EXPECT_EQ(db.lastInsertRowId(), 1);
  db.runStatement("insert into t (a, b) values ('y', '12');");
  EXPECT_EQ(db.lastInsertRowId(), 2);
  EXPECT_EQ(db.runStatement("update t set b = '5';"), 2);

  EXPECT_EQ(failureOf(db, "delete from nosuch;"), "SQLITE_ERROR[1]: no such table: nosuch");
  EXPECT_EQ(failureOf(db, "delete frm t;"), "SQLITE_ERROR[1]: near \"frm\": syntax error");
  db.runStatement("update t set b = NULL where id = 1;");

  CppSQLiteTable table = db.queryTable("select * from t order by id;");
  EXPECT_EQ(table.rowCount(), 2);
  EXPECT_EQ(table.columnCount(), 3);
  EXPECT_EQ(table.fieldText(2), nullptr);
  EXPECT_EQ(table.fieldInt(2), 0);
  table.selectRow(1);
  EXPECT_STREQ(table.fieldText(1), "y");
  EXPECT_EQ(table.fieldInt(2), 5);

  CppSQLiteTable empty = db.queryTable("select * from t where id > 2;");
  EXPECT_EQ(empty.rowCount(), 0);
  EXPECT_THROW(empty.selectRow(0), CppSQLiteException);
  EXPECT_THROW(db.queryTable("select * from nosuch;"), CppSQLiteException);
}

TEST(EngineWrapper, PathWithoutAFileGetsAnEmptyDatabaseThatLacksTheTables) {
  TempDir dir;
  CppSQLiteDB db;
  db.open(dir.file("new.vdb").c_str());
  EXPECT_EQ(failureOf(db, "delete from tb_item_list where id=1;"),
            "SQLITE_ERROR[1]: no such table: tb_item_list");
}

// Another process holds the file locked: the statement waits, the observer hears of it, and
// once the lock goes the statement runs. Nothing here depends on how long anything takes.
TEST(EngineWrapper, AStatementWaitsForAnotherProgramsLockAndTellsTheObserver) {
  TempDir dir;
  const std::string path = dir.file("locked.vdb");
  CppSQLiteDB db;
  db.open(path.c_str());
  db.runStatement("create table t (a);");

  struct Observer : CppSQLiteBusyObserver {
    void waitBegins() override {
      ++begun;
      // Let the other process go while we wait.
      holder.reset();
    }
    void waitEnds() override { ++ended; }
    std::unique_ptr<orvalen::test::LockHolder> holder;
    int begun = 0;
    int ended = 0;
  } observer;
  observer.holder =
      std::make_unique<orvalen::test::LockHolder>(path, orvalen::test::ProbeLock::kWrite);
  ASSERT_TRUE(observer.holder->holding());
  db.setBusyObserver(&observer);
  db.runStatement("insert into t values (1);");
  EXPECT_EQ(observer.begun, 1);
  EXPECT_EQ(observer.ended, 1);
  EXPECT_THAT(rowsOf(db, "select a from t;"), ElementsAre("1"));
}

TEST(EngineWrapper, ALockHeldPastTheTimeOutFailsAsBusy) {
  TempDir dir;
  const std::string path = dir.file("locked.vdb");
  CppSQLiteDB db(50);
  db.open(path.c_str());
  db.runStatement("create table t (a);");
  orvalen::test::LockHolder holder(path, orvalen::test::ProbeLock::kWrite);
  ASSERT_TRUE(holder.holding());
  struct Counter : CppSQLiteBusyObserver {
    void waitBegins() override { ++begun; }
    void waitEnds() override { ++ended; }
    int begun = 0;
    int ended = 0;
  } counter;
  db.setBusyObserver(&counter);
  try {
    db.runStatement("insert into t values (1);");
    ADD_FAILURE() << "the statement ran under another program's lock";
  } catch (const CppSQLiteException& error) {
    EXPECT_EQ(error.kind(), FailureKind::kBusy);
  }
  EXPECT_EQ(counter.begun, 1);
  EXPECT_EQ(counter.ended, 1);
}

}  // namespace
