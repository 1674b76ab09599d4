// INSERT ... SELECT, REPLACE, INSERT OR and UPDATE OR, and ON CONFLICT clauses through both
// engines: the rows left, changes, last row numbers and errors must agree, and what FAIL
// keeps and ROLLBACK undoes.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "twin_databases.h"

namespace orvalen::test {
namespace {

class WriteDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
  }
  void TearDown() override {
    if (twins_ && !HasFailure()) {
      EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
    }
  }
};

TEST_F(WriteDifferential, InsertSelect) {
  twins_->sameForAll({
      "create table t(a, b)",
      "insert into t values(1, 2)",
      "create table u(x integer primary key, y unique, z not null default 'd')",
      "insert into u select * from t",
      "insert into t select a from t",
      "insert into t(a) select a, b from t",
      "insert into u(y, z) select a, b from t",
      "insert into t select * from t",
      "insert into t select * from t where 0",
      "select rowid, * from t",
      "insert into u select 1, 'a', 'b' union all select 2, 'a', 'c'",
      "select * from u",
      "insert into t select * from nosuch",
      "insert into t(a, b) select 1",
      "insert into t select max(a), count(*) from t",
      "insert into u(y) select 7 union select 8",
      "insert into u(z, y) select b, a + 100 from t order by 1 limit 2",
      "select * from u",
      "select rowid, * from t",
  });
}

// A statement's chosen row numbers count on past a number given in the same statement, as
// in SQLite 2.8. Where the count reaches that row, 2.8 fails the insert as not unique; this
// engine chooses a number above the largest row instead (only ours is checked there).
TEST_F(WriteDifferential, ChosenRowNumbersCountOnPastOnesGivenInTheStatement) {
  twins_->sameForAll({
      "create table t(k integer primary key, v)",
      "insert into t values(1, 'a')",
      "insert into t values(5, 'b')",
      "create table s(k, v)",
      "insert into s values(NULL, 'c')",
      "insert into s values(NULL, 'd')",
      "insert into s values(10, 'e')",
      "insert into s values(NULL, 'f')",
      "insert into s values(NULL, 'g')",
      "insert into t select k, v from s",
      "select k, v from t",
  });
  const std::string collides =
      "insert into t select NULL, 'p' union all select 12, 'x' union all "
      "select k, v from s where k is null";
  EXPECT_EQ(twins_->theirs(collides).message, "PRIMARY KEY must be unique");
  const Outcome ours = twins_->ours(collides);
  EXPECT_EQ(ours.code, 0) << ours.message;
  EXPECT_EQ(ours.changes, 6);
  const Outcome numbers = twins_->ours("select k from t where k > 10");
  std::vector<std::string> chosen;
  for (const auto& row : numbers.rows) chosen.push_back(row.at(0).value_or("NULL"));
  EXPECT_EQ(chosen, (std::vector<std::string>{"11", "12", "13", "14", "15", "16"}));
}

TEST_F(WriteDifferential, OrClausesOfInsertAndUpdate) {
  twins_->sameForAll({
      "create table t(a integer primary key, b unique, c not null default 'dc')",
      "insert into t values(1, 'x', 'c1')",
      "insert into t values(2, 'y', 'c2')",
      "insert or replace into t values(1, 'y', 'n')",
      "replace into t values(5, 'x', NULL)",
      "insert or ignore into t values(1, 'q', 'w')",
      "insert or ignore into t values(9, 'q', NULL)",
      "insert or fail into t values(1, 'z', 'z')",
      "update or replace t set b = 'x' where a = 1",
      "update or ignore t set b = 'n'",
      "insert or rollback into t values(1, 1, 1)",
      "insert or abort into t values(1, 1, 1)",
      "insert or bogus into t values(1, 1, 1)",
      "replace into t select 7, b, c from t",
      "replace into t(b) values('x')",
      "update or fail t set a = a + 1",
      "select * from t",
  });
}

TEST_F(WriteDifferential, OnConflictClausesAndWhatEachKeeps) {
  twins_->sameForAll({
      "create table f(a unique on conflict fail, b not null on conflict ignore, "
      "c integer primary key on conflict replace)",
      "insert into f values(1, 2, 3)",
      "insert into f values(4, NULL, 5)",
      "insert into f values(6, 7, 3)",
      "insert into f select a + 10, b, c + 10 from f union all select 6, 1, 99 union all "
      "select 50, 50, 50",
      "select * from f",
      "insert or abort into f select 70, 1, 70 union all select 6, 1, 71",
      "select * from f",
      "begin",
      "insert into f values(80, 1, 80)",
      "insert or rollback into f values(6, 1, 98)",
      "select * from f",
      "commit",
      "select * from f",
  });
}

// A row in the way of a REPLACE constraint goes only when no other constraint fails or
// ignores the new row.
TEST_F(WriteDifferential, ReplaceWaitsForTheOtherConstraints) {
  twins_->sameForAll({
      "create table g(a, b, unique(a, b) on conflict ignore)",
      "create unique index gb on g(b) on conflict replace",
      "insert into g values(1, 1)",
      "insert into g values(1, 1)",
      "insert into g values(2, 1)",
      "insert into g values(NULL, NULL)",
      "insert into g values(NULL, NULL)",
      "update g set b = 5",
      "select rowid, * from g",
      "create table k(a unique on conflict replace, b)",
      "create unique index kb on k(b) on conflict ignore",
      "insert into k values(1, 1)",
      "insert into k values(1, 1)",
      "insert into k values(1, 2)",
      "select rowid, * from k",
      "create table m(a unique on conflict replace, b unique on conflict fail)",
      "insert into m values(1, 1)",
      "insert into m values(2, 2)",
      "insert into m values(1, 2)",
      "select rowid, * from m",
      "create table n(a unique on conflict fail, b unique on conflict replace)",
      "insert into n values(1, 1)",
      "insert into n values(2, 2)",
      "insert into n values(1, 2)",
      "create table q(a integer primary key on conflict ignore, b unique on conflict replace)",
      "insert into q values(1, 1)",
      "insert into q values(2, 2)",
      "insert into q values(1, 2)",
      "select rowid, * from q",
      "create table r(a not null on conflict ignore, b unique on conflict replace)",
      "insert into r values(1, 1)",
      "insert into r values(NULL, 1)",
      "select rowid, * from r",
  });
}

// The reference library lets a REPLACE of the INTEGER PRIMARY KEY also remove the row that an
// IGNORE constraint protects; here IGNORE leaves the new row out and both old rows stay.
TEST_F(WriteDifferential, IgnoreKeepsTheRowsAReplaceOfTheKeyWouldRemove) {
  twins_->sameForAll({
      "create table p(a integer primary key on conflict replace, b unique on conflict ignore)",
      "insert into p values(1, 1)",
      "insert into p values(2, 2)",
  });
  EXPECT_EQ(twins_->ours("insert into p values(1, 2)").changes, 0);
  Outcome rows = twins_->ours("select a, b from p order by a");
  ASSERT_EQ(rows.rows.size(), 2u);
  EXPECT_EQ(rows.rows[0][1], "1");
  EXPECT_EQ(rows.rows[1][1], "2");
  twins_->theirs("insert into p values(1, 2)");  // keeps the twins' files alike in shape
  twins_->theirs("delete from p");
  twins_->ours("delete from p");
}

}  // namespace
}  // namespace orvalen::test
