// The same statements through our engine and the reference library, on twin files: rows,
// column names, result codes, error texts, changes and last insert row id must agree, and
// the reference library must find our file sound afterwards.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "twin_databases.h"

namespace orvalen::test {
namespace {

class Differential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
  }
  void TearDown() override {
    if (twins_ && checkOurFileAtEnd_ && !HasFailure()) {
      EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
    }
  }

  bool checkOurFileAtEnd_ = true;
};

TEST_F(Differential, SyntaxErrorsAndUnrecognizedTokens) {
  twins_->same("create table t(a, b)");
  twins_->sameForAll({
      "selec * from t",
      "select * frm t",
      "select * from t wher a=1",
      "select a b c from t",
      "select * from",
      "select * from ",
      "select * from -- c",
      "select * from /* c",
      "select * from t where",
      "select * from t where a = 1 and",
      "select * from t order",
      "select * from t order by",
      "select * from t limit",
      "select * from t limit 1 offset",
      "insert t values(1)",
      "insert into t values(1,2",
      "insert into t values(1,2,)",
      "insert into t (a values(1)",
      "update t a=1",
      "update t set",
      "update t set a",
      "delete t",
      "delete from",
      "create table",
      "create table x",
      "create table x(",
      "create table x()",
      "create table x(a,)",
      "create table x(a varchar(1.5))",
      "create table x(a default)",
      "create index i on t",
      "create index i on t()",
      "drop t",
      "drop table",
      "select @",
      "select a$b from t",
      "select #",
      "select `a`",
      "select !x",
      "select ! 1",
      "select 1.",
      "select .5",
      "select 1e+",
      "select 1 select 2",
      "select * from t t2 t3",
      "select a from t limit 1+1",
      "select a from t limit '2'",
      "select a from t offset 1",
      "begin transaction on",
      "commit work",
      "select (1",
      "select 1)",
      "select a from t where a is 5",
      "select a from t where a not 5",
      "select count(* from t",
      "create table x(a primary)",
      "create table x(a not)",
      "create table x(a unique on)",
      "create table x(a unique on conflict)",
      "create table x(a) extra",
  });
}

TEST_F(Differential, StatementsRunUntilTheFirstError) {
  twins_->sameForAll({
      "create table t(a); insert into t values(1); insert into t values(2); selec",
      "select * from t",
      "insert into t values(3); insert into t values(4); insert into nosuch values(5)",
      "select * from t",
      "insert into t values(5);;; ; insert into t values(6);",
      "select count(*) from t; select a from t where a > 4",
      "select * from t; @",
  });
}

TEST_F(Differential, ExpressionsWithoutATable) {
  twins_->sameForAll({
      "select 1, -1, - 1, +1, -+5, +-5, - -5, -(5), -(-5), -'5', - '5', -' 5', +'abc'",
      "select 1.50, -1.50, -(1.50), +(1.50), -+5.0, +-5.0, -(5.0), - - 5.0, 007, -007",
      "select 7/2, 7.0/2, -7/2, 7/-2, 7%2, -7%2, 7%-2, 5%0, 1/0, 5/0.0, 0/0.0, 10%3.0",
      "select 2147483647+1, -2147483647-2, 65536*65536, 2147483648+0, 100000*100000",
      "select 2147483648/2, -2147483648, -2147483648/-1, 00000000007/2, 0000000007/2",
      "select 0.1+0.2, 1.0/3, 2.0*3, 1e14*1, 1e15*1, 1e-5*1, 1e-4*1, -0.0*1, 1e308*10",
      "select 7 % 2.5, 7.9 % 2, -7.9 % 2, 7 % 0.5, 1e10 % 3, (7.5 % 2) / 2",
      "select '0x10'+0, ' 12'+0, '1e5x'+0, 'inf'+0, '.5'+0, '5.'+0, '-'+0, '+3'+0",
      "select '12abc' & 255, '1e3' & 2047, '2.7' & 7, 2.7 & 7, -2.7 & 7, 3000000000 & 7",
      "select 1 << 31, 1 << 32, 1 << 33, 1 >> -1, -8 >> 1, 1 << -1, 5 >> 40, ~5, ~'5', ~5.9",
      "select not '0.5', '0.5' and 1, not 'abc', not '1abc', not ' 1', not '1e1', not 0.1",
      "select null and 0, null or 1, null and 1, null or 0, not null, 1 and 'abc', 'x' or 0",
      "select 2 = 2 < 2, 2 & 2 + 1, 3 > 2 & 2, 2 * 3 || 4, not 0 = 2, 1 or 1 and 0",
      "select 1 = 1 = 1, 2 = 2 = 2, 1 < 2 < 3, 3 < 2 < 1, 1 != 2 != 1, 1 <> 1 = 0",
      "select null isnull = 1, 1 = null isnull, 5 isnull isnull, null notnull, 1 not null",
      "select 'a' || 'b', 'a' || null, 1 || 2, -1 || 2, 1.50 || '', 'a''b', \"x\"",
      "select 1.0 = 1, '1.0' = 1, 1 = '1.0', 'abc' < 5, 5 < 'abc', '' < 0, null = null",
      "select count(*), count(), count(1), count(null), count(*) + 1",
      "select count(*) where 0",
      "select 1 where 0",
      "select 1 where 1 order by 1",
      "select 'x' as \"a b\", 1 [c], 2 'd', 3 e",
      "select  1  +  1 , 2/*x*/+2, 'a  b' ||  'c', ( 5 ), count ( * )",
  });
}

// Values that probe the text/number rules, in every kind of declared type.
const char* const kProbeValues[] = {"'5'",  "'5.0'", "'05'", "'+5'", "' 5'", "'abc'",  "'10'",
                                    "'-1'", "''",    "'5 '", "'.5'", "'5.'", "'1e1'",  "'9'",
                                    "'B'",  "'a'",   "NULL", "5",    "-3.5", "'1e400'"};
const char* const kProbeColumns[] = {"n", "i",  "nu", "d",  "tx", "v",
                                     "c", "ch", "b",  "cl", "ct", "cn"};

void createProbeTable(TwinDatabases& twins) {
  twins.same(
      "create table p(n, i integer, nu numeric, d date, tx text, v varchar(10), c char, "
      "ch character, b blob, cl clob, ct integer collate text, cn text collate numeric)");
  for (const char* value : kProbeValues) {
    std::string row;
    for (size_t i = 0; i < std::size(kProbeColumns); ++i) row += std::string(i ? "," : "") + value;
    twins.same("insert into p values(" + row + ")");
  }
}

TEST_F(Differential, ComparisonFollowsTheDeclaredTypes) {
  createProbeTable(*twins_);
  for (const char* column : kProbeColumns) {
    std::string c = column;
    twins_->sameForAll({
        "select rowid, " + c + " from p where " + c + " = 5",
        "select rowid, " + c + " from p where " + c + " = '5'",
        "select rowid, " + c + " from p where 5 = " + c,
        "select rowid, " + c + " from p where " + c + " = 5.0",
        "select rowid, " + c + " from p where " + c + " = '5' || ''",
        "select rowid, " + c + " from p where " + c + " < 'B'",
        "select rowid, " + c + " from p where " + c + " >= 5",
        "select rowid, " + c + " from p where " + c + " <> '5'",
        "select rowid, " + c + " from p where " + c + " is null",
        "select rowid, " + c + " from p where " + c + " = n",
        "select rowid, " + c + " from p where " + c + " = tx",
    });
  }
}

TEST_F(Differential, OrderByFollowsTheDeclaredTypes) {
  createProbeTable(*twins_);
  for (const char* column : kProbeColumns) {
    std::string c = column;
    twins_->sameForAll({
        "select " + c + " from p order by " + c,
        "select " + c + " from p order by " + c + " desc",
        "select " + c + " from p order by " + c + " collate text",
        "select " + c + " from p order by " + c + " collate numeric desc",
        "select " + c + " || '' from p order by 1",
        "select -" + c + " from p order by 1",
    });
  }
  twins_->sameForAll({
      "select n, tx from p order by tx, n desc",
      "select n, tx from p order by n desc, tx",
      "select rowid, n from p order by n limit 5",
      "select rowid, n from p order by n limit 5 offset 3",
      "select rowid, n from p order by n desc limit 3, 4",
      "select rowid from p order by rowid desc",
  });
}

TEST_F(Differential, EqualSortKeysKeepTheReferenceOrder) {
  twins_->same("create table t(k, v)");
  for (int i = 0; i < 60; ++i) {
    twins_->same("insert into t values(" + std::to_string((i * 7) % 5) + ", " + std::to_string(i) +
                 ")");
  }
  twins_->sameForAll({
      "select k, v from t order by k",
      "select k, v from t order by k desc",
      "select k, v from t where v > 10 order by k",
      "select k, v from t order by k limit 7 offset 20",
      "delete from t where v % 3 = 0",
      "select k, v from t order by k",
  });
}

TEST_F(Differential, IntegerPrimaryKeyIsTheRowNumber) {
  twins_->sameForAll({
      "create table t(id integer primary key, a)",
      "insert into t values(NULL, 'first')",
      "insert into t(a) values('second')",
      "insert into t values('1e3', 'x')",
      "insert into t values('+5', 'x')",
      "insert into t values('007', 'x')",
      "insert into t values('9.0', 'x')",
      "insert into t values(2.0, 'x')",
      "insert into t values(-2147483648, 'lowest')",
      "insert into t values(1.5, 'x')",
      "insert into t values('abc', 'x')",
      "insert into t values('', 'x')",
      "insert into t values(' 8', 'x')",
      "insert into t values('5 ', 'x')",
      "insert into t values('0x10', 'x')",
      "insert into t values(2147483648, 'x')",
      "insert into t values(5, 'duplicate')",
      "select id, rowid, oid, _rowid_, a from t",
      "select * from t where id = 5",
      "select * from t where id = '5.0'",
      "select * from t where id = ' 5'",
      "select * from t where rowid > 5 and rowid <= 1000",
      "select * from t where id < 0",
      "select * from t order by id desc",
      "update t set id = 6 where id = 5",
      "update t set id = 7 where id = 6",
      "update t set id = 'x' where id = 7",
      "update t set id = 1000 where id = 7",
      "select * from t",
      "insert into t(a) values('next')",
      "select * from t where id > 1000",
      "create table u(id INTEGER PRIMARY KEY DESC, a)",
      "insert into u values(-5, 'a')",
      "insert into u(a) values('b')",
      "insert into u(a) values('c')",
      "select * from u",
      "create table w(id integer, a, primary key(id))",
      "insert into w values('x', 1)",
      "create table y(id int primary key, a)",
      "insert into y values('x', 1)",
      "insert into y values(NULL, 2)",
      "insert into y values(NULL, 3)",
      "insert into y values('x', 4)",
      "select * from y",
      "create table z(id integer(10) primary key, a)",
      "insert into z values('x', 1)",
      "create table q(id integer unsigned primary key, a)",
      "insert into q values('x', 1)",
  });
}

TEST_F(Differential, RowNumbersChosenForNewRows) {
  twins_->sameForAll({
      "create table t(a)",
      "insert into t values(1)",
      "insert into t(rowid, a) values(-10, 2)",
      "delete from t where a = 1",
      "insert into t values(3)",
      "select rowid, a from t",
      "delete from t",
      "insert into t values(4)",
      "select rowid, a from t",
      "insert into t(oid, a) values(2147483646, 5)",
      "insert into t values(6)",
      "select rowid, a from t",
  });
  // Above 2147483647 the reference library picks free numbers at random.
  Outcome ours = twins_->ours("insert into t values(7)");
  Outcome theirs = twins_->theirs("insert into t values(7)");
  EXPECT_EQ(ours.code, 0);
  EXPECT_EQ(theirs.code, 0);
  EXPECT_EQ(ours.changes, 1);
  EXPECT_GT(ours.lastInsertRowid, 0);
  EXPECT_LT(ours.lastInsertRowid, 2147483647);
  EXPECT_EQ(twins_->ours("select count(*) from t").rows,
            twins_->theirs("select count(*) from t").rows);
  Outcome ourRow =
      twins_->ours("select a from t where rowid = " + std::to_string(ours.lastInsertRowid));
  Outcome theirRow =
      twins_->theirs("select a from t where rowid = " + std::to_string(theirs.lastInsertRowid));
  EXPECT_EQ(ourRow.rows, theirRow.rows);
  EXPECT_EQ(ourRow.rows.size(), 1u);
}

TEST_F(Differential, ConstraintsAndTheirOrder) {
  twins_->sameForAll({
      "create table t(a not null, b unique, c integer primary key, d, unique(d,b))",
      "insert into t values(1,2,3,4); insert into t values(1,3,4,5); "
      "insert into t values(NULL,2,3,4)",
      "insert into t values(NULL,2,3,4)",
      "insert into t values(1,2,3,4)",
      "insert into t values(1,2,5,4)",
      "insert into t values(1,9,5,4)",
      "insert into t values(1,9,'x',4)",
      "insert into t values(NULL,9,'x',4)",
      "insert into t(b) values(1)",
      "insert into t(a, b) values(1, NULL)",
      "insert into t(a, b) values(1, NULL)",
      "update t set a = NULL where c = 3",
      "update t set b = 3",
      "update t set b = 3 where c = 3",
      "update t set c = 4 where c = 3",
      "update t set c = 10 where c = 3",
      "update t set b = b where c = 10",
      "select * from t",
      "create table u(a unique, b unique)",
      "insert into u values(1,1)",
      "insert into u values(1,1)",
      "create unique index ui on u(a)",
      "insert into u values(1,1)",
      "insert into u values('1.0',2)",
      "insert into u values(2,'1.0')",
      "create table v(a text unique, b default 'dflt' not null, c default -5, d default 1.5)",
      "insert into v(a) values('1')",
      "insert into v(a) values('1.0')",
      "insert into v(a) values('1')",
      "insert into v(a, b) values('2', NULL)",
      "select * from v",
      "create table k(a primary key, b)",
      "insert into k values(NULL, 1)",
      "insert into k values(NULL, 2)",
      "insert into k values(1, 3)",
      "insert into k values('1', 4)",
      "select * from k",
  });
}

TEST_F(Differential, InsertErrors) {
  twins_->sameForAll({
      "create table t(a, b, c, d)",
      "insert into t values(1, 2)",
      "insert into t(a, b) values(1)",
      "insert into t(a, nosuch) values(1, 2)",
      "insert into nosuch values(1)",
      "insert into t values(x, 1, 2, 3)",
      "insert into t values(\"x\", 1, 2, 3)",
      "insert into t(a, A) values(1, 2)",
      "insert into t(nosuch) values(1, 2)",
      // An unknown name among the values is reported before a wrong count or column list.
      "insert into t(nosuch) values(x)",
      "insert into t(a) values(x, 2)",
      "insert into t values(x)",
      "create table r(id integer primary key, a not null)",
      "insert into r(id, rowid, a) values(6, 5, 1)",
      "insert into r(rowid, rowid, a) values(8, 9, 1)",
      "insert into r(oid, id, a) values(10, 11, 1)",
      "insert into t(rowid, oid, a) values(3, 4, 1)",
      "update r set id = NULL",
      "update r set rowid = 1.5",
      "update r set a = NULL, id = 'x'",
      "insert into r(id, a) values('x', NULL)",
      "select rowid, * from r",
      "insert into sqlite_master values(1,2,3,4,5)",
      "update sqlite_master set sql = 'x' where 0",
      "delete from sqlite_master where 0",
      "update t set zz = 1",
      "update nosuch set a = 1",
      "delete from nosuch",
      "update t set a = 1, a = 2",
      // Assignment by assignment, the value is checked before the column.
      "update t set zz = x",
      "update t set a = 1, zz = x",
      "update t set zz = 1, a = x",
      "update t set a = x where zz = 1",
      "update t set zz = 1 where x = 1",
      "select * from t",
  });
}

TEST_F(Differential, UpdateAndDeleteWithAndWithoutIndexes) {
  std::vector<std::string> fill = {"create table t(id integer primary key, a, b text, c)"};
  for (int i = 1; i <= 40; ++i) {
    fill.push_back("insert into t(a, b, c) values(" + std::to_string(i % 7) + ", '" +
                   std::to_string(i % 5) + "', " + std::to_string(i % 3) + ")");
  }
  twins_->sameForAll(fill);
  std::vector<std::string> work = {
      "update t set c = c + 10 where a = 3",
      "update t set b = '4' where b = 4",
      "delete from t where a = 2 and c = 1",
      "update t set a = a + 1 where id > 30",
      "delete from t where b > '3'",
      "update t set c = 'x' where c = 11",
      "select * from t",
      "select count(*) from t where a = 1",
      "delete from t where id = 3",
      "delete from t where id < 0",
      "update t set id = id + 100 where id < 10",
      "select * from t",
  };
  twins_->sameForAll(work);
  twins_->sameForAll(
      {"create index ia on t(a)", "create index ib on t(b)", "create index iac on t(a, c)"});
  twins_->sameForAll(work);
  twins_->sameForAll({
      "select * from t where a = 4",
      "select * from t where b = 4",
      "select * from t where b = '4'",
      "select * from t where b > 3",
      "select * from t where a > 2 and a < 5",
      "select * from t where a = 4 and c > 1",
      "select * from t order by a",
      "select * from t order by a desc, c desc",
      "delete from t",
      "select count(*) from t",
      "insert into t(a) values(1)",
      "select * from t",
  });
}

TEST_F(Differential, IndexChoiceShowsInRowOrder) {
  std::vector<std::string> rows = {
      "create table t(a, b, c, x text)",      "insert into t values(2,1,'r1','5')",
      "insert into t values(1,3,'r2','5.0')", "insert into t values(2,2,'r3','abc')",
      "insert into t values(1,1,'r4','10')",  "insert into t values(3,2,'r5',NULL)",
      "insert into t values(1,2,'r6','-1')",  "insert into t values(NULL,2,'r7',' ')",
  };
  std::vector<std::string> queries = {
      "select c from t where a = 1",
      "select c from t where a = 1 and b > 0",
      "select c from t where a > 1",
      "select c from t where a < 3",
      "select c from t where 0 < a",
      "select c from t where a >= 1 and a <= 2",
      "select c from t where b > 1",
      "select c from t where a > 1 and b = 2",
      "select c from t where a = 1 and rowid > 0",
      "select c from t where a > 0 and rowid > 0",
      "select c from t where rowid > 0 order by a",
      "select c from t where a > 0 and b < 4",
      "select c from t where a < 4 and b > 0",
      "select c from t where a = 1 or a = 2",
      "select c from t where a = 1 and a = '1.0'",
      "select c from t where a = 1 order by a",
      "select c from t where a = 1 order by b",
      "select c from t where a = 1 order by b desc",
      "select c from t where a = 1 order by a desc",
      "select c from t where a > 0 order by a desc",
      "select c from t order by a",
      "select c from t order by a desc",
      "select c from t order by a, b",
      "select c from t order by a desc, b desc",
      "select c from t order by a, b desc",
      "select c from t order by b",
      "select c from t where a = null",
      "select c from t where a > null",
      "select c from t where x = 5",
      "select c from t where x = '5'",
      "select c from t where x > 5",
      "select c from t where x < 5",
      "select c from t where x >= '5'",
      "select c from t where x > 5 and rowid > 0",
      "select c from t where x = 5 and x = '5.0'",
      "update t set b = b + 10 where x = 5",
      "delete from t where x > 5",
      "select * from t",
  };
  std::vector<std::vector<std::string>> indexSets = {
      {},
      {"create index ia on t(a)", "create index iab on t(a,b)", "create index ib on t(b)",
       "create index ix on t(x)"},
      {"create index iab on t(a,b)", "create index ia on t(a)", "create index ix on t(x)"},
      {"create index iab on t(a,b)", "create index iba on t(b,a)", "create index ia2 on t(a)",
       "create index ib on t(b)"},
      {"create index ib on t(b)", "create index ia on t(a)"},
      {"create index iab on t(a, b)", "create index iaa on t(a, a)", "create index ia on t(a)"},
  };
  for (const std::vector<std::string>& indexes : indexSets) {
    twins_->sameForAll({"drop table t"});
    twins_->sameForAll(rows);
    twins_->sameForAll(indexes);
    twins_->sameForAll(queries);
  }
}

TEST_F(Differential, SchemaRowsAfterCreateAndDrop) {
  twins_->sameForAll({
      "   CREATE   TABLE Foo ( a  INT , b )  ;",
      "create table p(id INTEGER PRIMARY KEY, name TEXT UNIQUE, v NUMERIC, w VARCHAR(10), x)",
      "create table t7(a varchar(10) not null default 'z' unique, b text collate numeric, "
      "c constraint foo primary key, check(a>0), unique(b,c) on conflict abort, "
      "foreign key(a) references p(id))",
      "create table 'q q'('x y' text, \"z\" int, [w w])",
      "create index i1 on FOO(A)",
      "create unique index \"i 2\" on p(v, w desc)",
      "select * from sqlite_master",
      "select type, name, tbl_name, rootpage from sqlite_master order by rootpage",
      "create table foo(x)",
      "create index i1 on p(v)",
      "create index p on foo(a)",
      "create table i1(a)",
      "create table sqlite_master(a)",
      "create index im on sqlite_master(name)",
      "create index ix on nosuch(a)",
      "create index ix on foo(nosuch)",
      "create table z(a, a)",
      "create table z(a, primary key(b))",
      "create table z(a primary key, b primary key)",
      "drop table sqlite_master",
      "drop table nosuch",
      // A missing table is named as written; a missing index is not.
      "drop table 'no''such'",
      "drop table [nosuch]",
      "drop table \"nosuch\"",
      "drop index 'nosuch'",
      "drop index nosuch",
      "drop index \"(p autoindex 1)\"",
  });
  // Pages freed by DROP are reused in the reference library's order, so new objects get the
  // same root pages.
  twins_->sameForAll({
      "drop table t7",
      "drop index i1",
      "create table n1(a unique, b)",
      "create table n2(a)",
      "create table n3(a)",
      "create table n4(a)",
      "select type, name, tbl_name, rootpage, sql from sqlite_master",
      "insert into n1 values(1, 1)",
      "insert into n1 values(2, 1)",
      "create unique index nu on n1(b)",
      "create unique index nu on n1(a)",
      "select type, name, tbl_name, rootpage, sql from sqlite_master where name = 'nu'",
      "create table nn(a, b)",
      "insert into nn values(NULL, 1)",
      "insert into nn values(NULL, 2)",
      "create unique index nna on nn(a)",
      "create unique index nnab on nn(a, b)",
      "insert into nn values(NULL, 3)",
  });
  twins_->reopen();
  twins_->sameForAll({"select type, name, tbl_name, rootpage, sql from sqlite_master",
                      "insert into n1 values(3, 2)", "insert into n1 values(3, 4)",
                      "select * from n1"});
}

TEST_F(Differential, TransactionsAndStatementRollback) {
  twins_->sameForAll({
      "create table t(a unique, b)",
      "begin",
      "begin",
      "insert into t values(1, 1)",
      "insert into t values(2, 2); insert into t values(1, 3)",
      "select * from t",
      "commit",
      "commit",
      "rollback",
      "end",
      "begin transaction; insert into t values(3, 3); rollback transaction",
      "select * from t",
      "begin; create table u(a); insert into u values(1); rollback",
      "select * from u",
      "begin; create table u(a); create index ua on u(a); insert into u values(1); end",
      "select * from u where a = 1",
      "begin; drop table u; rollback; select * from u",
      "begin; insert into t values(9, 9); delete from t; commit; select * from t",
  });
}

TEST_F(Differential, SelectErrorsAndColumnNames) {
  twins_->sameForAll({
      "create table T(Aa, b)",
      "insert into t values(1, 2)",
      "select AA, aa, t.aa, T.AA, [aa], (aa),  1  +  1 , aa as 'x y', aa \"q\" from t",
      "select *, aa from t",
      "select t.* from t",
      "select x.* from t x",
      "select * from t x where x.aa = 1",
      "select t.aa from t x",
      "select x.* from t",
      "select *",
      "select nosuch from t",
      "select nosuch, other from t where third",
      "select aa from t where nosuch order by other",
      "select aa from t where t.nosuch",
      "select aa from nosuch where zz",
      "select count(*) from t where count(*) > 0",
      "select aa from t order by count(*)",
      "select count(*) from t order by count(*)",
      "select count(*), aa, count(aa) + 1, aa + count(*) from t",
      "select count(aa, b) from t",
      "select count(*) from t limit 0",
      "select count(*) from t limit 1 offset 1",
      "select aa from t order by 2",
      "select aa from t order by 0",
      "select aa from t order by -1",
      "select aa from t order by 1+1",
      "select aa from t order by 'x'",
      "select aa from t order by null",
      "select aa from t order by 1.0",
      "select aa from t order by 2147483648",
      "select aa as b from t order by b",
      "select aa as z from t order by Z desc",
      "select \"rowid\", \"zz\", rowid, oid, _ROWID_, t.rowid from t",
      "select aa from t limit 2 offset -1",
      "select aa from t limit -1",
  });
}

TEST_F(Differential, ChangesAndLastInsertRowidAcrossCalls) {
  twins_->sameForAll({
      "create table t(a unique, b not null, c integer primary key)",
      "insert into t values(1,1,1); insert into t values(2,2,2); insert into t values(3,3,'x')",
      "insert into t values(4,4,4); insert into t(zz) values(1)",
      "insert into t values(5,5,5); insert into t values(1)",
      "insert into t values(6,6,6); begin; begin",
      "commit; insert into t values(7,7,7); commit",
      "insert into t values(8,8,8); select zz from t",
      "insert into t values(9,9,9); select * from t order by 5",
      "insert into t values(10,10,10); create index x on nosuch(a)",
      "insert into t values(11,11,11); create table u3(a); insert into u3 values(1); "
      "insert into u3 values(1); create unique index u4 on u3(a)",
      "update t set b = b + 1 where c > 5; update t set b = 0 where c = 1",
      "update t set a = 20 - c where c >= 7",
      "insert into t values(50, 50, 50); update t set a = 100 where c > 2",
      "select * from t",
      "delete from t where c > 9",
      "delete from t",
      "delete from t where 1",
  });
}

TEST_F(Differential, LargeValues) {
  std::string kilobytes(5000, 'q');
  std::string nearLimit(1048570, 'x');
  twins_->sameForAll({
      "create table t(a, b text unique)",
      "insert into t values(1, '" + kilobytes + "')",
      "insert into t values(2, '" + kilobytes + "')",
      "insert into t values('" + nearLimit + "', 1)",
      "insert into t values('" + std::string(1048000, 'y') + "', 2)",
      "select length_is_unknown from t where 0",
      "select a from t where b = '" + kilobytes + "'",
      "update t set a = '" + kilobytes + "' || '" + kilobytes + "' where a = 1",
      "select count(*) from t",
  });
}

// Runs sql through the reference library on a file that our engine also has open.
Outcome referenceOn(const sqlite2_reference* reference, const std::string& path,
                    const std::string& sql) {
  char* error = nullptr;
  void* db = reference->open(path.c_str(), 0, &error);
  if (error) reference->freemem(error);
  Outcome outcome;
  if (!db) {
    outcome.code = -1;
    return outcome;
  }
  error = nullptr;
  outcome.code = reference->exec(db, sql.c_str(), nullptr, nullptr, &error);
  if (error) {
    outcome.message = error;
    reference->freemem(error);
  }
  reference->close(db);
  return outcome;
}

TEST_F(Differential, SchemaChangesPassBetweenTheEngines) {
  twins_->ours("create table t(a, b); insert into t values(1, 'x')");
  // The reference library changes our file's schema while our connection is open...
  ASSERT_EQ(referenceOn(reference_, twins_->ourPath(),
                        "create unique index tb on t(b); create table u(c); "
                        "insert into u values(7)")
                .code,
            0);
  Outcome afterwards = twins_->ours("select * from u; insert into t values(2, 'x')");
  EXPECT_EQ(afterwards.code, 19);
  EXPECT_EQ(afterwards.message, "column b is not unique");
  ASSERT_EQ(afterwards.rows.size(), 1u);
  EXPECT_EQ(afterwards.rows[0][0], "7");
  // ...and sees ours: a table and an index made by our engine, then one dropped.
  twins_->ours("create table w(d); create index wd on w(d); insert into w values(3); drop table u");
  Outcome seen =
      referenceOn(reference_, twins_->ourPath(), "insert into w values(4); select * from u");
  EXPECT_EQ(seen.message, "no such table: u");
  EXPECT_EQ(twins_->ours("select d from w where d = 4").rows.size(), 1u);
}

TEST_F(Differential, IntegrityCheckReportsAsTheReference) {
  twins_->sameForAll({"create table t(a, b)", "create index ia on t(a)", "create index ib on t(b)",
                      "insert into t values(1, 'x')", "insert into t values(2, 'y')",
                      "insert into t values(3, 'z')", "pragma integrity_check",
                      "PRAGMA Integrity_Check;"});
  checkOurFileAtEnd_ = false;
  // Damage both files the same way: one index entry names another row.
  twins_->reopen();
  for (const std::string& path : {twins_->ourPath(), twins_->theirPath()}) {
    std::string bytes = readFile(path);
    ASSERT_GE(bytes.size(), 5u * 1024);
    // Page 4 is index ia: its first cell's key ends in the row number; make it point at a row
    // that does not exist, so that row 1 is missing from the index.
    size_t page = 3 * 1024;
    size_t cell = static_cast<unsigned char>(bytes[page + 4]) |
                  (static_cast<unsigned char>(bytes[page + 5]) << 8);
    size_t keySize = static_cast<unsigned char>(bytes[page + cell + 4]) |
                     (static_cast<unsigned char>(bytes[page + cell + 5]) << 8);
    bytes[page + cell + 12 + keySize - 1] = 9;
    writeFile(path, bytes);
  }
  twins_->reopen();
  Outcome report = twins_->same("pragma integrity_check");
  ASSERT_EQ(report.rows.size(), 1u);
  EXPECT_EQ(report.rows[0][0], "rowid 1 missing from index ia");
  // A free page the free list no longer counts: a page-level problem, reported in one row.
  twins_->sameForAll({"create table gone(a)", "drop table gone"});
  twins_->reopen();
  for (const std::string& path : {twins_->ourPath(), twins_->theirPath()}) {
    std::string bytes = readFile(path);
    bytes[56] = bytes[57] = bytes[58] = bytes[59] = 0;
    bytes[52] = bytes[53] = bytes[54] = bytes[55] = 0;
    writeFile(path, bytes);
  }
  twins_->reopen();
  Outcome pages = twins_->same("pragma integrity_check");
  ASSERT_EQ(pages.rows.size(), 2u);
  EXPECT_EQ(pages.rows[0][0]->rfind("*** in database main ***\n", 0), 0u);
}

// The plugin file's statements, as the editor formats them, on a file made by each engine.
TEST_F(Differential, CatalogueStatements) {
  const std::string gbkName = "\xca\xd3\xc6\xb5 it''s";  // GBK bytes and a doubled quote
  twins_->sameForAll({
      "create table tb_type_list (id integer primary key, parentid integer, ItemText text);",
      "create table tb_item_list (id integer primary key, parentid integer, ItemText text, "
      "itemUrl text, itemImageUrl text);",
      "insert into tb_type_list (parentid, ItemText) values(-1, '" + gbkName + "');",
      "insert into tb_type_list (parentid, ItemText) values(1, 'child');",
      "insert into tb_type_list (parentid, ItemText) values(-1, '');",
      "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
      "values(1, 'v1', 'http://x/1', 'http://x/1.jpg');",
      "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
      "values(-1, 'root video', '', '');",
      "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
      "values(2, '" +
          std::string(1500, 'n') + "', 'u', 'i');",
      "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
      "values(1, 'v2', 'http://x/2', 'http://x/2.jpg');",
      "select * from tb_type_list order by id;",
      "select * from tb_item_list where parentid=1 order by id;",
      "select * from tb_item_list where parentid=-1 order by id;",
      "update tb_type_list set itemText='" + gbkName + "2' where id=2;",
      "update tb_item_list set itemText='v1b', itemUrl='u''1', itemImageUrl='' where id=1;",
      "update tb_item_list set itemText='none', itemUrl='', itemImageUrl='' where id=99;",
      "delete from tb_item_list where id=4;",
      "delete from tb_item_list where parentid=2;",
      "delete from tb_type_list where id=2;",
      "delete from tb_item_list where parentid=1;",
      "delete from tb_type_list where id=1;",
      "select * from tb_type_list order by id;",
      "select * from tb_item_list where parentid=-1 order by id;",
      "insert into tb_type_list (parentid, ItemText) values(-1, 'again');",
  });
  twins_->reopen();
  twins_->sameForAll({"select * from tb_type_list order by id;",
                      "select * from tb_item_list where parentid=-1 order by id;"});
}

}  // namespace
}  // namespace orvalen::test
