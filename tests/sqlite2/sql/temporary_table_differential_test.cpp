// Temporary tables, their indexes and views through both engines: what they hold and report,
// sqlite_temp_master, names shared with the file's objects, transactions, and that nothing
// of them reaches the file or outlives the connection.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "twin_databases.h"

namespace orvalen::test {
namespace {

class TemporaryTableDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
    twins_->sameForAll({
        "create table m(a, b)",
        "insert into m values(1, 'one')",
        "insert into m values(2, 'two')",
        "create temp table x(a integer primary key, b unique)",
        "create index xi on x(b)",
        "insert into x values(1, 'p')",
        "insert into x values(5, 'q')",
    });
  }
};

TEST_F(TemporaryTableDifferential, ReadWrittenAndListedApart) {
  twins_->sameForAll({
      "select * from sqlite_temp_master",
      "select * from sqlite_master",
      "select * from x",
      "select * from x, m where x.a = m.a",
      "select * from m where a in (select a from x)",
      "insert into x values(1, 'r')",
      "insert into x values(2, 'p')",
      "insert or replace into x values(7, 'p')",
      "update x set b = b || '!' where a > 1",
      "select * from x where b = 'q!'",
      "delete from x where a = 5",
      "select * from x",
      "pragma table_info(x)",
      "pragma index_list(x)",
      "create temporary table y(c)",
      "insert into y select b from m",
      "create temp view tv as select c, a from y, x",
      "select * from tv",
      "create view mv as select * from x",
      "create view mv as select * from m",
      "select * from sqlite_temp_master",
      "create table x(q)",
      "create temp table m(q)",
      "create index x on m(a)",
      "create temp index i on x(b)",
      "drop index xi",
      "drop view tv",
      "drop table y",
      "select * from sqlite_temp_master",
      "delete from x",
      "select count(*) from x",
      "drop table sqlite_temp_master",
      "insert into sqlite_temp_master values(1, 2, 3, 4, 5)",
      "create index ti on sqlite_temp_master(name)",
  });
  Outcome databases = twins_->ours("pragma database_list");
  ASSERT_EQ(databases.rows.size(), 2u);
  EXPECT_TRUE(databases.rows[1][2] && !databases.rows[1][2]->empty());
}

TEST_F(TemporaryTableDifferential, TransactionsTakeThemAlong) {
  twins_->sameForAll({
      "begin",
      "create temp table r(a)",
      "insert into r values(1)",
      "insert into m values(3, 'three')",
      "rollback",
      "select * from r",
      "select count(*) from m",
      "begin",
      "insert into x values(9, 'z')",
      "create temp table s(a unique)",
      "insert into s values(1)",
      "insert into s values(1)",
      "insert or rollback into s values(1)",
      "select * from x",
      "begin",
      "insert into s values(2)",
      "insert into x values(10, 'y')",
      "commit",
      "select * from s",
      "select * from x",
      "select * from sqlite_temp_master",
  });
}

TEST_F(TemporaryTableDifferential, NotInTheFileAndGoneAtClose) {
  std::string temporaryFile = *twins_->ours("pragma database_list").rows.at(1).at(2);
  EXPECT_EQ(twins_->theirsOnOurFile("select * from sqlite_master").rows,
            twins_->theirs("select * from sqlite_master").rows);
  EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
  EXPECT_FALSE(fileExists(temporaryFile));
  twins_->sameForAll({"select * from x", "select * from sqlite_temp_master", "create table x(a)",
                      "pragma integrity_check"});
}

}  // namespace
}  // namespace orvalen::test
