// Views through both engines: CREATE VIEW and DROP VIEW with their errors, the rows and
// column names read through a view (alone, joined, nested, in sub-selects), writes refused,
// and the schema row that the reference library reads back from our file.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "twin_databases.h"

namespace orvalen::test {
namespace {

class ViewDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
    twins_->sameForAll({
        "create table t(a, b text)",
        "insert into t values(1, 'x')",
        "insert into t values(2, 'y')",
        "insert into t values('10', '9')",
        "insert into t values(NULL, NULL)",
        "create table u(a, c)",
        "insert into u values(1, 'p')",
        "insert into u values(2, 'q')",
        "insert into u values(7, 'r')",
        "create index ua on u(a)",
    });
  }
};

TEST_F(ViewDifferential, ReadsThroughViews) {
  twins_->sameForAll({
      "create view v1 as select a, b from t",
      "   CREATE   VIEW  V2 AS select a+1, t.b, b as bb, * from t where a>1 ;",
      "create view v3 as select t.a, u.a, c from t, u where t.a=u.a",
      "create view v4 as select a, a, t.a, t.a from t",
      "create view v5 as select * from t as q, t as r",
      "create view v6 as select b, count(*) n from t group by b",
      "create view v7 as select a from t union select a from u",
      "create view v8 as select * from v1 where a > 1",
      "create view v9 as select a from t order by a desc limit 2",
      "create view v10 as select t.* from t",
      "create view v11 as select nosuch from t",
      "select * from sqlite_master",
      "pragma table_info(v1)",
      "pragma table_info(v2)",
      "pragma table_info(v5)",
      "pragma table_info(v7)",
      "pragma index_list(v1)",
      "select * from v1",
      "select a from v1 where b = 'y'",
      "select v1.a, x.b from v1, v1 x where v1.a = x.a",
      "select * from v2",
      "select \"a+1\", bb from v2",
      "select * from v3",
      "select * from v4",
      "select * from (select a, a, t.a, t.a, t.a x, a x from t)",
      "select * from (select t.a, u.a, * from t, u)",
      "select * from v5",
      "select * from v6 order by b",
      "select * from v7",
      "select * from v8",
      "select * from v9",
      "select * from v10",
      "select * from v11",
      "select * from v1, u where v1.a = u.a",
      "select * from u left join v1 on u.a = v1.a",
      "select * from v1 natural join u",
      "select count(*), max(a) from v1",
      "select * from t where a in (select a from v1 where a < 2)",
      "select (select count(*) from v3)",
      "select a from v1 union select a from v7 order by 1",
      "select * from (select * from v1) where a = 2",
      "select b from v1 where a > 5",
      "select a from v1 where a = '10'",
  });
  twins_->sameIgnoringOrder("select b, count(*) from v1 group by b");
}

TEST_F(ViewDifferential, DefinitionErrorsAndDrop) {
  twins_->sameForAll({
      "create view v as select a from t",
      "create view v as select 1",
      "create view t as select 1",
      "create view ua as select 1",
      "create view sqlite_master as select 1",
      "create view w1 as select * from nosuch",
      "create view w2 as select 1 union select * from nosuch",
      "create view w3 as select * from (select * from nosuch)",
      "create view w4 as select q.* from t",
      "create view w5 as select * from w5",
      "create view w6 as select 1 where 1 in (select * from nosuch)",
      "create view w7(x) as select 1",
      "create view w8 as select a from t;",
      "select * from w6",
      "create table v(x)",
      "create index v on t(a)",
      "insert into v values(1)",
      "update v set a = 1",
      "delete from v",
      "drop table v",
      "drop view t",
      "drop view nosuch",
      "drop view v",
      "select * from v",
      "drop view v",
      "create view v as select b from t",
      "select * from v",
      "drop table t",
      "select * from w8",
      "pragma table_info(w8)",
      "select * from sqlite_master",
  });
}

TEST_F(ViewDifferential, FileCarriesViews) {
  twins_->sameForAll({
      "begin",
      "create view v1 as select a, b from t where a is not null",
      "create view v2 as select v1.a, c from v1, u where v1.a = u.a",
      "commit",
  });
  twins_->reopen();
  twins_->sameForAll({"select * from v2", "select * from sqlite_master"});
  Outcome expected = twins_->theirs("select * from v2 order by c");
  EXPECT_EQ(twins_->theirsOnOurFile("select * from v2 order by c"), expected);
  EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
  twins_->sameForAll({"drop view v2", "select * from sqlite_master"});
  EXPECT_EQ(twins_->referenceCheckOfOurFile(), "ok");
}

}  // namespace
}  // namespace orvalen::test
