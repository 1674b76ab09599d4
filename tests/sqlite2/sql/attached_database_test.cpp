// Attached databases on our engine alone, where the differential tests cannot look: other
// connections writing the attached files, their locks and journals, statements run from a
// row callback.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sql/run/database.h"
#include "sqlite.h"
#include "support/temp_dir.h"
#include "twin_databases.h"

namespace sqlite2 {
namespace {

using orvalen::test::fileExists;
using orvalen::test::Outcome;
using orvalen::test::runOurs;
using orvalen::test::TempDir;

std::vector<std::string> firstColumn(const Outcome& outcome) {
  std::vector<std::string> values;
  for (const auto& row : outcome.rows) values.push_back(row[0] ? *row[0] : "NULL");
  return values;
}

class AttachedDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    side_ = Database::open(sidePath_);
    ASSERT_EQ(runOurs(*side_, "create table s(a); insert into s values('side')").code, SQLITE_OK);
    ASSERT_EQ(run("create table m(a); attach '" + sidePath_ + "' as side").code, SQLITE_OK);
  }
  Outcome run(const std::string& sql) { return runOurs(*db_, sql); }

  TempDir dir_;
  std::string sidePath_ = dir_.file("side.db");
  std::unique_ptr<Database> db_ = Database::open(dir_.file("main.db"));
  std::unique_ptr<Database> side_;  // a second connection on the attached file
};

TEST_F(AttachedDatabaseTest, SchemaChangedByAnotherConnectionIsNoticed) {
  EXPECT_EQ(firstColumn(run("select a from side.s")), std::vector<std::string>{"side"});
  runOurs(*side_, "create table n(b); insert into n values(2); create index ni on n(b)");
  EXPECT_EQ(firstColumn(run("select b from side.n where b = 2")), std::vector<std::string>{"2"});
  EXPECT_EQ(run("insert into n values(3)").code, SQLITE_OK);
  EXPECT_EQ(firstColumn(runOurs(*side_, "select b from n where b = 3")),
            std::vector<std::string>{"3"});
  runOurs(*side_, "drop table n");
  EXPECT_EQ(run("select * from side.n").message, "no such table: side.n");
  EXPECT_EQ(firstColumn(runOurs(*side_, "pragma integrity_check")), std::vector<std::string>{"ok"});
}

// A transaction that writes the attached file holds its lock and journal until it ends.
TEST_F(AttachedDatabaseTest, ATransactionLocksAndJournalsTheFilesItWrote) {
  run("begin; insert into m values(1)");
  EXPECT_FALSE(fileExists(sidePath_ + "-journal"));
  EXPECT_EQ(runOurs(*side_, "select * from s").code, SQLITE_OK);
  run("insert into side.s values('in transaction')");
  EXPECT_TRUE(fileExists(sidePath_ + "-journal"));
  EXPECT_EQ(runOurs(*side_, "select * from s").code, SQLITE_BUSY);
  EXPECT_EQ(run("commit").code, SQLITE_OK);
  EXPECT_FALSE(fileExists(sidePath_ + "-journal"));
  EXPECT_EQ(firstColumn(runOurs(*side_, "select a from s")),
            (std::vector<std::string>{"side", "in transaction"}));
}

TEST_F(AttachedDatabaseTest, AnAttachedFileLockedElsewhereAsksTheBusyHandler) {
  runOurs(*side_, "begin; insert into s values('elsewhere')");
  int attempts = 0;
  db_->setBusyHandler([&attempts](const char*, int attempt) {
    attempts = attempt;
    return attempt < 2;
  });
  Outcome blocked = run("insert into side.s values('here')");
  EXPECT_EQ(blocked.code, SQLITE_BUSY);
  EXPECT_EQ(attempts, 2);
  runOurs(*side_, "commit");
  EXPECT_EQ(run("insert into side.s values('here')").code, SQLITE_OK);
  EXPECT_EQ(firstColumn(runOurs(*side_, "select count(*) from s")), std::vector<std::string>{"3"});
}

// The statement that runs the callback still reads the file.
TEST_F(AttachedDatabaseTest, DetachFromARowCallbackIsRefused) {
  Outcome detach;
  db_->execute("select a from side.s", [&](int, const char* const*, const char* const*) {
    detach = run("detach side");
    return true;
  });
  EXPECT_EQ(detach.message, "cannot detach database side - SQL statements in progress");
  EXPECT_EQ(run("detach side").code, SQLITE_OK);
  EXPECT_EQ(run("select * from side.s").message, "no such table: side.s");
}

}  // namespace
}  // namespace sqlite2
