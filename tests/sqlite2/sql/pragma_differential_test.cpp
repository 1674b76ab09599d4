// The PRAGMAs of SQLite 2.8 through both engines: what they report, what setting them changes
// (result names, change counts, empty results, the file's default settings) and that unknown
// ones do nothing.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "twin_databases.h"

namespace orvalen::test {
namespace {

class PragmaDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
    twins_->sameForAll({
        "create table t(a integer primary key, b text not null default 'x', "
        "c varchar(10) unique, d)",
        "create index ti on t(b, d)",
        "create table u(x, y, primary key(x, y))",
        "insert into t values(1, 'b', 'c', 'd')",
    });
  }
};

TEST_F(PragmaDifferential, SchemaPragmas) {
  twins_->sameForAll({
      "pragma table_info(t)",
      "pragma table_info('u')",
      "pragma TABLE_INFO(\"t\")",
      "pragma table_info(nosuch)",
      "pragma table_info",
      "pragma index_list(t)",
      "pragma index_list(u)",
      "pragma index_list(nosuch)",
      "pragma index_info(ti)",
      "pragma index_info('(t autoindex 1)')",
      "pragma index_info(nosuch)",
      "pragma integrity_check",
      "pragma integrity_check(5)",
      "pragma nosuch",
      "pragma nosuch = 1",
      "pragma = 1",
  });
  Outcome databases = twins_->ours("pragma database_list");
  ASSERT_EQ(databases.rows.size(), 2u);
  EXPECT_EQ(databases.names, (std::vector<std::string>{"seq", "name", "file"}));
  EXPECT_EQ(databases.rows[0][1], "main");
  EXPECT_EQ(databases.rows[0][2], twins_->ourPath());
}

TEST_F(PragmaDifferential, SettingsOfTheConnectionAndTheFile) {
  twins_->sameForAll({
      "pragma cache_size",
      "pragma cache_size = -50",
      "pragma cache_size",
      "pragma default_cache_size",
      "pragma default_cache_size = 500",
      "pragma default_cache_size",
      "pragma synchronous",
      "pragma synchronous = full",
      "pragma synchronous",
      "pragma synchronous = bogus",
      "pragma synchronous",
      "pragma default_synchronous = off",
      "pragma default_synchronous",
      "pragma default_cache_size",
      "pragma temp_store = memory",
      "pragma temp_store",
      "pragma default_temp_store = file",
      "pragma default_temp_store",
      "pragma vdbe_trace = on",
      "pragma vdbe_trace",
      "pragma show_datatypes",
  });
  twins_->reopen();
  twins_->sameForAll({"pragma default_cache_size", "pragma default_synchronous",
                      "pragma default_temp_store", "pragma cache_size", "pragma integrity_check"});
}

TEST_F(PragmaDifferential, CountChangesNamesAndEmptyResults) {
  twins_->sameForAll({
      "pragma count_changes = on",
      "insert into t(b) values('n')",
      "insert into t(b) select b || 'x' from t",
      "update t set d = 5",
      "delete from t where a = 0",
      "pragma count_changes",
      "pragma full_column_names = 1",
      "select a, b, a + 1, t.a, * from t",
      "select a, x.b from t x",
      "select * from t, u",
      "select count(*), max(d) from t group by d",
      "pragma full_column_names = 0",
      "pragma short_column_names = yes",
      "select t.a, * from t, u",
      "pragma short_column_names = 0",
      "pragma empty_result_callbacks = true",
      "select * from t where 0",
      "select count(*) from t where 0",
      "select a from t union select x from u",
      "delete from u",
      "delete from t",
      "pragma count_changes = bogus",
      "pragma count_changes",
      "insert into t(b) values('z')",
      "pragma empty_result_callbacks = off",
      "select * from t where 0",
  });
}

}  // namespace
}  // namespace orvalen::test
