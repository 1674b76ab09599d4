// Triggers through both engines: CREATE TRIGGER and DROP TRIGGER with their errors and schema
// rows, the order and nesting in which triggers fire, NEW and OLD, RAISE, INSTEAD OF on views,
// conflict choices passed on to the steps, and the changes count and last row number they
// leave. Then the faults of the reference library that our engine mends.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "twin_databases.h"

namespace orvalen::test {
namespace {

class TriggerDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
    twins_->sameForAll({
        "create table t(a integer primary key, b, c text)",
        "create table log(x, y, z)",
    });
  }
};

TEST_F(TriggerDifferential, CreateAndDropWithTheirErrors) {
  twins_->sameForAll({
      "create trigger t1 after insert on t begin insert into log values('ins', new.a, 0); end;",
      "create trigger t1 after insert on t begin select 1; end",
      "create trigger T1 after delete on t begin select 1; end",
      "create trigger t2 after insert on nosuch begin select 1; end",
      "create trigger t2 after insert on sqlite_master begin select 1; end",
      "create trigger t2 instead of insert on t begin select 1; end",
      "create view v as select * from t",
      "create trigger t2 before insert on v begin select 1; end",
      "create trigger t2 after update on v begin select 1; end",
      "create trigger t2 instead of delete on v begin select 1; end",
      "create trigger t3 after insert on main.t begin select 1; end",
      "create trigger t4 after insert on temp.t begin select 1; end",
      "create trigger main.t4 after insert on t begin select 1; end",
      "  CREATE  TRIGGER \"Mixed Case\"   update of b, c on t for each row when new.b > 1 "
      "begin update log set x = x; delete from log where 0; select new.c; end  ;",
      "create trigger t5 before delete on t for each statement begin end",
      "create trigger t5s after insert on t for each statement begin "
      "insert into log values('never', 0, 0); end",
      "insert into t values(1, 2, 3)",
      "select * from log",
      "drop trigger t5s",
      "create trigger t6 after insert on t begin drop table t; end",
      "create trigger t6 after insert on t begin insert into main.log values(1, 2, 3); end",
      "create trigger t6 after insert on t begin select 1 end",
      "create trigger t6 after insert on t when 1 for each row begin select 1; end",
      "create trigger t6 after insert on t begin select raise(ignore, 'x'); end",
      "create trigger t6 after insert on t begin select raise(abort); end",
      "create trigger t6 after insert on t begin replace into log values(1, 2, 3); end",
      "select * from sqlite_master",
      "drop trigger t6",
      "drop trigger t6",
      "drop trigger main.t1",
      "drop trigger temp.t3",
      "drop trigger main.t3",
      "drop trigger \"mixed case\"",
      "drop view v",
      "select * from sqlite_master",
      "create table t(x)",
      "create index t1 on t(b)",
      "create table t1(x)",
      "drop table t",
      "select * from sqlite_master",
  });
  EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
}

TEST_F(TriggerDifferential, NewAndOldOfEachEvent) {
  twins_->sameForAll({
      "create trigger bi before insert on t begin "
      "insert into log values('bi', new.rowid, new.a || '/' || new.b || '/' || new.c); end",
      "create trigger ai after insert on t begin "
      "insert into log values('ai', new.oid, new.a || '/' || new.b || '/' || new.c); end",
      "create trigger bu before update on t begin "
      "insert into log values('bu', old.a || '>' || new.a, old.b || '>' || new.b); end",
      "create trigger au after update of c on t begin insert into log values('au', old.c, new.c); "
      "end",
      "create trigger bd before delete on t begin insert into log values('bd', old._rowid_, "
      "old.b); "
      "end",
      "create trigger ad after delete on t begin insert into log values('ad', old.a, old.c); end",
      "insert into t values(5, 1, 'x')",
      "insert into t(b) values(2)",
      "insert into t values(NULL, 3, 'z')",
      "update t set b = b + 100 where a > 6",
      "update t set c = 'cc', a = a + 1000 where a = 5",
      "update t set b = b",
      "delete from t where a > 10 and a < 1000",
      "delete from t",
      "select * from t",
      "select * from log",
      // Text and numeric columns compare under NEW as they do in their table.
      "create table typed(n integer, s text)",
      "create trigger cmp after insert on typed begin "
      "insert into log values(new.n < '9', new.s < '9', new.n < 9); end",
      "insert into typed values('10', '10')",
      "select * from log where z is not null and x < 2",
  });
}

TEST_F(TriggerDifferential, NamesThatNewAndOldDoNotHave) {
  twins_->sameForAll({
      "create trigger x after insert on t begin select old.a; end",
      "insert into t values(1, 2, 3)",
      "drop trigger x",
      "create trigger x after delete on t begin select new.a; end",
      "insert into t values(1, 2, 3)",
      "delete from t",
      "drop trigger x",
      "create trigger x after update on t begin select new.zz; end",
      "update t set b = 5",
      "drop trigger x",
      "create trigger x before insert on t begin insert into nosuch values(1); end",
      "insert into t values(2, 2, 2)",
      "insert into t values(3, 3, 3); insert into t values(4, 4, 4)",
      "drop trigger x",
      "create trigger x before insert on t when nosuch.a begin select 1; end",
      "insert into t values(5, 5, 5)",
      "drop trigger x",
      "create temp table tt(q)",
      "create trigger x after insert on t begin insert into tt values(new.a); end",
      "insert into t values(6, 6, 6)",
      "select * from t",
      "select count(*) from log",
  });
}

// Triggers are compiled with their statement there: a trigger that names something missing
// fails the statement before it starts, whether or not a row would fire it.
TEST_F(TriggerDifferential, TriggersThatCannotRunFailTheirStatementUnfired) {
  twins_->sameForAll({
      "insert into t values(1, 2, 3)",
      "create table one(x unique)",
      "create view v as select * from one",
      "create trigger bad after update on t when 0 begin insert into nosuch values(1); end",
      "update t set b = 3 where a = 99",
      "update t set b = 3",
      "drop trigger bad",
      "create trigger bad after update on t begin select zz from log; end",
      "update t set b = 3 where 0",
      "drop trigger bad",
      "create trigger bad after update on t when new.zz begin select 1; end",
      "update t set b = 3 where 0",
      "drop trigger bad",
      "create trigger ok1 after update on t begin insert into one values(new.a); end",
      "create trigger bad after insert on one begin select old.x; end",
      "update t set b = 4 where 0",
      "drop trigger bad",
      "create trigger bad after insert on one begin select raise(ignore) from nosuch; end",
      "update t set b = 5 where 0",
      "drop trigger bad",
      "create trigger bad after delete on t begin select 1 from nosuch; end",
      "delete from t where 0",
      "delete from t",
      "drop trigger bad",
      "create trigger bad after insert on t begin insert into one values(1, 2); end",
      "insert into t values(7, 7, 7)",
      "insert into t select 1, 1, 1 where 0",
      "drop trigger bad",
      "create trigger bad after insert on t begin insert into one(zz) values(1); end",
      "insert into t select 1, 1, 1 where 0",
      "drop trigger bad",
      "create trigger bad after insert on t begin insert into one(x) values(1, 2); end",
      "insert into t select 1, 1, 1 where 0",
      "drop trigger bad",
      "create trigger bad after insert on t begin insert into v values(1); end",
      "insert into t select 1, 1, 1 where 0",
      "drop trigger bad",
      "create trigger bad after insert on t begin update v set x = 1; end",
      "insert into t select 1, 1, 1 where 0",
      "drop trigger bad",
      "create trigger bad after insert on t begin insert into sqlite_master values(1,2,3,4,5); end",
      "insert into t select 1, 1, 1 where 0",
      "drop trigger bad",
      "create trigger bad after insert on t begin insert into one select * from t; end",
      "insert into t select 1, 1, 1 where 0",
      "drop trigger bad",
      "create trigger bad after insert on t begin insert into one values(1); "
      "insert into one values(1); end",
      "insert into t values(8, 8, 8)",
      "select * from t",
      "select * from one",
  });
}

TEST_F(TriggerDifferential, FiringOrderAndNesting) {
  twins_->sameForAll({
      "create trigger a1 after insert on t begin insert into log values('a1', new.a, 0); end",
      "create trigger a2 after insert on t begin insert into log values('a2', new.a, 0); end",
      "create trigger b1 before insert on t begin insert into log values('b1', new.a, 0); end",
      "create trigger b2 before insert on t begin insert into log values('b2', new.a, 0); end",
      "insert into t values(1, 1, 1)",
      "select * from log",
      // A trigger does not fire itself again, but others fire inside it.
      "create table r(n)",
      "create trigger rec after insert on r when new.n < 5 begin insert into r values(new.n + 1); "
      "end",
      "insert into r values(1)",
      "select * from r",
      "create table p(n)",
      "create table q(n)",
      "create trigger pq after insert on p begin insert into q values(new.n + 1); end",
      "create trigger qp after insert on q begin insert into p values(new.n + 1); end",
      "insert into p values(1)",
      "select * from p",
      "select * from q",
      // An UPDATE goes on from rows as its triggers left them.
      "create table u(n)",
      "create trigger uu after update on u begin update u set n = n + 1; end",
      "insert into u values(1)",
      "insert into u values(10)",
      "update u set n = n * 2",
      "select * from u",
      "create table c(a unique, b)",
      "create trigger c1 before update on c begin update c set b = 'clobbered' where a = old.a; "
      "end",
      "insert into c values(1, 1)",
      "insert into c values(2, 2)",
      "update c set b = b + 10",
      "create trigger c2 before delete on c begin delete from c where a = old.a + 1; end",
      "delete from c",
      "select * from c",
      // A trigger that adds rows to the table being inserted into.
      "create table n(a integer primary key, b)",
      "create table nlog(x)",
      "create trigger n1 after insert on n begin insert into nlog values(new.a); end",
      "create trigger n2 after insert on nlog begin insert into n values(NULL, 'from log'); end",
      "insert into n select NULL, 1 union all select NULL, 2 union all select NULL, 3",
      "select * from n",
      "select * from nlog",
  });
}

TEST_F(TriggerDifferential, RaiseInEachTiming) {
  twins_->sameForAll({
      "create table k(a unique, b)",
      "create trigger r1 before insert on k when new.a = 1 begin select raise(ignore); end",
      "create trigger r2 before insert on k when new.a = 2 begin select raise(abort, 'abort two'); "
      "end",
      "create trigger r3 before insert on k when new.a = 3 begin select raise(fail, 'fail three'); "
      "end",
      "create trigger r4 before insert on k when new.a = 4 begin "
      "select raise(rollback, \"rollback four\"); end",
      "create trigger r5 after insert on k begin insert into log values(new.a, 0, 0); end",
      "insert into k values(1, 'x')",
      "insert into k values(10, 'x')",
      "insert into k select 11, 0 union all select 2, 0",
      "begin",
      "insert into k select 12, 0 union all select 3, 0",
      "select * from k",
      "insert into k select 13, 0 union all select 4, 0",
      "commit",
      "select * from k",
      "select * from log",
      "create trigger r6 before delete on k when old.a = 10 begin select raise(ignore); "
      "insert into log values('never', 0, 0); end",
      "create trigger r7 after delete on k begin insert into log values(old.a, 'deleted', 0); end",
      "insert into k values(20, 1)",
      "delete from k where a > 5",
      "select * from k",
      "create trigger r8 before update on k begin select raise(ignore) where new.b = 5; end",
      "create trigger r9 after update on k begin insert into log values('updated', 0, 0); end",
      "update k set b = 5",
      "update k set b = 6",
      "delete from k",
      "drop trigger r6",
      "delete from k",
      "select * from log",
      // RAISE(IGNORE) after a step inserted leaves that step's row number behind.
      "create trigger r10 after insert on k begin insert into log values(new.a, 0, 0); "
      "select raise(ignore); insert into log values('no', 0, 0); end",
      "create trigger r11 after insert on k begin insert into log values('r11', 0, 0); end",
      "insert into k values(1, 1)",
      "insert into k values(7, 1)",
      "select * from k",
      "select * from log",
  });
}

TEST_F(TriggerDifferential, InsteadOfOnViews) {
  twins_->sameForAll({
      "create view v as select a, b, a + b as s from t",
      "insert into v values(1, 2, 3)",
      "create trigger vi instead of insert on v begin insert into t(a, b) values(new.a, new.b); "
      "insert into log values('vi', new.s, new.a); end",
      "insert into v values(1, 2, 3)",
      "insert into v(b) values(7)",
      "insert into v select 5, 6, 7 union all select 8, 9, 10",
      "insert into v values(1, 2)",
      "insert into v(zz) values(1)",
      "select * from t",
      "create trigger vu instead of update on v begin update t set b = new.b where a = old.a; "
      "insert into log values(old.s, new.s, new.b); end",
      "update v set b = b * 10 where a > 1",
      "update v set zz = 1",
      "update v set b = zz",
      "select * from v",
      "delete from v",
      "create trigger vd instead of delete on v begin delete from t where a = old.a; "
      "insert into log values('vd', old.s, 0); end",
      "delete from v where a = 5",
      "delete from v where zz = 5",
      "delete from v",
      "select * from t",
      "select * from log",
      "create trigger vr instead of insert on v begin insert into log values(new.rowid, 0, 0); end",
      "insert into v values(1, 2, 3)",
      "create trigger vdr instead of delete on v begin insert into log values(old.rowid, 0, 0); "
      "end",
      "insert into t values(20, 21, 22)",
      "insert into t values(30, 31, 32)",
      "delete from v where a > 20",
      "delete from v",
      "select * from log where y = 0",
      "create trigger vo instead of update of s on v begin select 1; end",
      "drop trigger vu",
      "update v set b = 1",
      "update v set s = 1",
  });
}

TEST_F(TriggerDifferential, ConflictChoicesInAndAroundTheSteps) {
  twins_->sameForAll({
      "create table k(a unique, b)",
      "create table u(x unique)",
      "create trigger kd after delete on k begin insert into log values('del', old.a, 0); end",
      "create trigger ki after insert on k begin insert into u values(new.b); end",
      "insert into k values(1, 1)",
      "insert or replace into k values(1, 2)",
      "insert into k values(2, 1)",
      "insert or ignore into k values(3, 1)",
      "insert or replace into k values(4, 1)",
      "select * from k",
      "select * from u",
      "select * from log",
      "create table w(x unique)",
      "create trigger wi after insert on w begin insert or ignore into u values(new.x); end",
      "insert into w values(1)",
      "insert or abort into w values(2)",
      "insert or fail into w values(3)",
      "begin",
      "insert or fail into w select 10 union all select 2",
      "commit",
      "select * from w",
      "select * from u",
      "create trigger wu after update on w begin update or replace u set x = new.x where x = "
      "old.x; "
      "end",
      "update w set x = x + 100",
      "update or ignore w set x = 1",
      "select * from w",
      "select * from u",
  });
}

// What NEW holds around an ignored row and a NOT NULL column's default put in by REPLACE.
TEST_F(TriggerDifferential, IgnoredRowsAndReplacedNulls) {
  twins_->sameForAll({
      "create table k(a unique, b not null default 'dflt')",
      "create trigger bi before insert on k begin insert into log values('bi', new.b, 0); end",
      "create trigger ai after insert on k begin insert into log values('ai', new.b, 0); end",
      "create trigger bu before update on k begin insert into log values('bu', new.b, 0); end",
      "create trigger au after update on k begin insert into log values('au', new.b, 0); end",
      "insert into k values(1, 'x')",
      "insert or ignore into k values(1, 'y')",
      "insert or replace into k values(2, NULL)",
      "insert into k values(3, NULL)",
      "insert or ignore into k values(4, NULL)",
      "update or ignore k set a = 1 where a = 2",
      "update or replace k set a = 1 where a = 2",
      "update k set b = NULL",
      "update or replace k set b = NULL",
      "select * from k",
      "select * from log",
      "select last_insert_rowid(), change_count()",
  });
}

// An INTEGER PRIMARY KEY set to what is no integer fails only once the BEFORE triggers have
// run (one may leave the row alone); NEW shows the old number then, and for a text.
TEST_F(TriggerDifferential, RowNumbersAssignedUnderTriggers) {
  twins_->sameForAll({
      "insert into t values(1, 1, 1)",
      "insert into t values(2, 2, 2)",
      "create trigger h before update on t when new.b = 9 begin "
      "insert into log values(new.a, new.rowid, typeof(new.a)); select raise(ignore); end",
      "create trigger g after update on t begin insert into log values(new.a, old.a, 'after'); "
      "end",
      "update t set a = NULL, b = 9",
      "update t set a = 'x', b = 9",
      "update t set a = 2.5, b = 9",
      "update t set a = '7', b = 9 where a = 1",
      "update t set a = 7, b = 9",
      "update t set a = NULL",
      "update t set a = 'x' where a = 1",
      "update t set a = '7' where a = 1",
      "update t set a = 8.0 where a = 2",
      "update t set rowid = NULL, b = 9",
      "select * from t",
      "select * from log",
  });
}

TEST_F(TriggerDifferential, ChangesCountsAndRowNumbers) {
  twins_->sameForAll({
      "create trigger ai after insert on t begin insert into log values(new.a, 0, 0); "
      "insert into log values(new.a, 1, 0); end",
      "insert into t values(NULL, 1, 1)",
      "insert into t values(NULL, 2, 2); insert into t values(NULL, 3, 3)",
      "create trigger du after update on t begin delete from log where x = old.a; end",
      "update t set b = b + 1",
      // DELETE without WHERE counts its rows when a DELETE trigger watches them.
      "create table plain(a)",
      "insert into plain values(1)",
      "insert into plain values(2)",
      "delete from plain",
      "create trigger pu after update on plain begin select 1; end",
      "insert into plain values(3)",
      "delete from plain",
      "create trigger pd before delete on plain begin select 1; end",
      "insert into plain values(4)",
      "insert into plain values(5)",
      "delete from plain",
      "pragma count_changes = on",
      "insert into plain values(6)",
      "delete from plain",
      "delete from t where a > 1",
      "pragma count_changes = off",
      "select * from log",
      // A statement that fires a trigger's SELECT still reports its own (no) columns.
      "create trigger sel after insert on plain begin select 1 as one; select 1 union select 2; "
      "end",
      "pragma empty_result_callbacks = on",
      "insert into plain values(7)",
      "pragma empty_result_callbacks = off",
  });
}

TEST_F(TriggerDifferential, TemporaryTriggersAndTables) {
  twins_->sameForAll({
      "create temp table tt(x)",
      "create temp trigger tr1 after insert on t begin insert into tt values(new.b); end",
      "create trigger tr2 after insert on tt begin insert into log values('tt', new.x, 0); end",
      "create temp trigger tr3 after delete on tt begin insert into log values('gone', old.x, 0); "
      "end",
      "insert into t values(1, 2, 3)",
      "select * from tt",
      "select * from log",
      "select * from sqlite_temp_master",
      "select * from sqlite_master",
      "delete from tt",
      "drop trigger tr1",
      "drop trigger tr1",
      "create temp trigger tr1 after update on t begin insert into tt values(new.b); end",
      "update t set b = 7",
      "drop table t",
      "select * from sqlite_temp_master",
      "drop table tt",
      "select * from sqlite_temp_master",
      "select * from log",
  });
}

TEST_F(TriggerDifferential, FileCarriesTriggers) {
  twins_->sameForAll({
      "begin",
      "create trigger g1 after insert on t begin insert into log values(new.a, new.b, new.c); end",
      "create view v as select a, b from t",
      "create trigger g2 instead of delete on v begin delete from t where a = old.a; end",
      "commit",
  });
  twins_->reopen();
  twins_->sameForAll({
      "insert into t values(1, 2, 3)",
      "delete from v",
      "select * from log",
      "select * from t",
      "select * from sqlite_master",
  });
  EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
  twins_->sameForAll({"insert into t values(4, 5, 6)", "select * from log"});
  twins_->reopen();
  twins_->sameForAll({"drop trigger g1", "insert into t values(7, 8, 9)", "select * from log"});
  EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
}

// The reference library loops without end on RAISE outside a trigger; DROP TABLE leaves the
// rows of triggers whose ON clause spelled the table's name in another case in sqlite_master
// (where they come back to a later table of that name); and a statement a trigger runs fires
// none of a table's triggers while the table's newest trigger runs.
TEST_F(TriggerDifferential, FaultsOfTheReferenceLibraryMended) {
  for (const char* sql : {"select raise(ignore)", "select raise(abort, 'x')",
                          "insert into t values(raise(fail, 'y'), 1, 1)"}) {
    Outcome outcome = twins_->ours(sql);
    EXPECT_EQ(outcome.code, 1) << sql;
    EXPECT_EQ(outcome.message, "RAISE() may only be used within a trigger-program") << sql;
  }
  twins_->sameForAll({
      "create table Other(a)",
      "create trigger o1 after insert on OTHER begin insert into log values(1, 2, 3); end",
  });
  EXPECT_EQ(twins_->ours("drop table other").code, 0);
  Outcome left = twins_->ours("select name from sqlite_master where type = 'trigger'");
  EXPECT_TRUE(left.rows.empty());
  EXPECT_EQ(twins_->ours("create table other(a)").code, 0);
  EXPECT_EQ(twins_->ours("insert into other values(1)").code, 0);
  EXPECT_TRUE(twins_->ours("select * from log").rows.empty());
  for (const char* sql :
       {"create table n(a)",
        "create trigger logged after insert on n begin insert into log values('n', new.a, 0); end",
        "create trigger refill after delete on n begin insert into n values(old.a + 100); end",
        "insert into n values(1)", "delete from n where a = 1"}) {
    ASSERT_EQ(twins_->ours(sql).code, 0) << sql;
  }
  Outcome logged = twins_->ours("select y from log where x = 'n'");
  ASSERT_EQ(logged.rows.size(), 2u);
  EXPECT_EQ(logged.rows[1][0], "101");
}

// A BEFORE INSERT trigger of the reference library reads NEW.rowid and the INTEGER PRIMARY KEY
// of a row from INSERT ... SELECT as numbers that have nothing to do with the row.
TEST_F(TriggerDifferential, BeforeInsertFromSelectSeesTheGivenRowNumber) {
  for (const char* sql : {"insert into t values(5, 1, 'x')", "insert into t values(6, 2, 'y')",
                          "create trigger bi before insert on t begin "
                          "insert into log values(new.rowid, new.a, new.b); end",
                          "insert into t select a + 10, b, c from t"}) {
    ASSERT_EQ(twins_->ours(sql).code, 0) << sql;
  }
  Outcome log = twins_->ours("select * from log");
  ASSERT_EQ(log.rows.size(), 2u);
  EXPECT_EQ(log.rows[0][0], "15");
  EXPECT_EQ(log.rows[0][1], "15");
  EXPECT_EQ(log.rows[1][0], "16");
  EXPECT_EQ(log.rows[1][2], "2");
}

}  // namespace
}  // namespace orvalen::test
