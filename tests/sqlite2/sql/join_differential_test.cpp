// Joins through both engines: comma joins, JOIN ... ON and USING, NATURAL and LEFT joins of
// up to three tables, with and without indexes, their column names and their errors.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "twin_databases.h"

namespace orvalen::test {
namespace {

class JoinDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
    twins_->sameForAll({
        "create table t(a, b)",
        "insert into t values(1, 'x')",
        "insert into t values(2, 'y')",
        "insert into t values(3, NULL)",
        "insert into t values('5', '05')",
        "create table u(a text, c)",
        "insert into u values(1, 'p')",
        "insert into u values(1, 'q')",
        "insert into u values(4, 'r')",
        "insert into u values('05', 'p')",
        "create table w(c, d integer primary key)",
        "insert into w values('p', 10)",
        "insert into w values('z', 11)",
    });
  }

  void sameJoins() {
    twins_->sameForAll({
        "select * from t, u",
        "select * from t join u using(a)",
        "select * from t natural join u",
        "select * from t left join u on t.a = u.a",
        "select * from t left outer join u using (a)",
        "select t.a, u.* from t, u where t.a = u.a",
        "select * from t x, u y where x.a = y.a",
        "select t.rowid, u.oid, w.rowid from t, u, w where u.c = w.c",
        "select * from t inner cross join u",
        "select * from t, u using(a)",
        "select * from t cross join u where t.a = 2",
        "select * from t left join u on t.a = u.a where u.c is null",
        "select * from t left join u on t.a = u.a and u.c = 'q'",
        "select * from t left join u on u.c = 'q' where t.a = u.a",
        "select * from t, u, w where u.c = w.c",
        "select * from t left join u on t.a = u.a left join w on u.c = w.c",
        "select * from t natural left join u",
        "select * from t join u on t.a = u.a join w using(c)",
        "select * from t left join u on t.a = u.a, w",
        "select * from t bogus join u",
        "select * from t, u on t.a = u.a",
        "select 1 from t on t.a = 1",
        "select * from t natural join u natural join w",
        "select b, c, d from t, u, w",
        "select t.a, b, c from t, u where t.a > 1",
        "select * from u, w where w.d = u.rowid + 9",
        "select * from t, w where d = t.a + 9 and t.b is not null",
        "select * from t, u where u.a = t.a",
        "select * from t, u where t.a = u.a order by u.c desc, t.a",
        "select count(*), max(u.c), t.a from t, u where t.a < u.a group by t.a order by 3",
        "select distinct t.a from t, u where t.a <> u.a order by 1",
        "select * from t, u where t.b like '%' || u.c || '%'",
        "select * from t, u, w limit 4 offset 3",
    });
  }
};

TEST_F(JoinDifferential, RowsNamesAndOrderWithoutIndexes) {
  sameJoins();
}

TEST_F(JoinDifferential, IndexesLookUpTheInnerTables) {
  twins_->sameForAll({"create index ua on u(a)", "create index uc on u(c, a)",
                      "create index tb on t(b)", "create unique index wc on w(c)"});
  sameJoins();
}

TEST_F(JoinDifferential, JoinErrors) {
  twins_->sameForAll({
      "select a from t, u",
      "select rowid from t, u",
      "select * from t right join u on t.a = u.a",
      "select * from t full outer join u on 1",
      "select * from t inner left join u on 1",
      "select * from t left inner join u on 1",
      "select * from t left outer inner join u",
      "select * from t inner outer join u",
      "select * from t left foo join u",
      "select * from t natural join u on t.a = u.a",
      "select * from t join u on 1 using(a)",
      "select * from t join u using(c)",
      "select * from t left join u using(a) where a = 1",
      "select u.a from t join u using(a)",
      "select * from t as t, u as t",
      "select t.* from t, t",
      "select * from nosuch, t",
      "select x.* from t",
      "select nosuch.a from t, u",
  });
}

}  // namespace
}  // namespace orvalen::test
