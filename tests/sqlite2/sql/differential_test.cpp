// The same statements through our engine and the reference library, on twin files: rows,
// column names, result codes, error texts, changes and last insert row id must agree, and
// the reference library must find our file sound afterwards.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "twin_databases.h"

namespace orvalen::test {
namespace {

class Differential : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    reference_ = referenceEngine(&why);
    if (!reference_) {
      GTEST_SKIP() << "reference engine unavailable: " << why;
    }
    twins_ = std::make_unique<TwinDatabases>(reference_);
  }
  void TearDown() override {
    if (twins_ && !HasFailure()) {
      EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
    }
  }

  const sqlite2_reference* reference_ = nullptr;
  std::unique_ptr<TwinDatabases> twins_;
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

}  // namespace
}  // namespace orvalen::test
