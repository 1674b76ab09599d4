// The exact statements the catalogue routines hand to the library, and what they make of
// the rows it gives back, against the test double of the C interface.

#include <string>
#include <vector>

#include "db/catalogue.h"
#include "db/statement_text.h"
#include "db/transaction.h"
#include "fake_sqlite.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;

class CatalogueStatementTest : public fake::FakeLibraryTest {
 protected:
  void SetUp() override {
    FakeLibraryTest::SetUp();
    db.open("plugin.vdb");
  }
  std::vector<std::string> executed() { return fake::callsStartingWith("exec "); }

  CodePage gbk{"CP936"};
  CppSQLiteDB db;
};

TEST_F(CatalogueStatementTest, EachRoutineRunsItsStatementText) {
  lib.lastInsertRowid = 41;
  EXPECT_EQ(InsertTypeRow(db, -1, "top", gbk), 41);
  UpdateTypeRow(db, 7, "renamed", gbk);
  EXPECT_EQ(InsertItemRow(db, 7, "v", "http://u", "http://i", gbk), 41);
  UpdateItemRow(db, 9, "v2", "u2", "i2", gbk);
  DeleteItemRow(db, 9);
  DeleteTypeRows(db, -1);
  EXPECT_THAT(executed(),
              ElementsAre("insert into tb_type_list (parentid, ItemText) values(-1, 'top');",
                          "update tb_type_list set itemText='renamed' where id=7;",
                          "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
                          "values(7, 'v', 'http://u', 'http://i');",
                          "update tb_item_list set itemText='v2', itemUrl='u2', "
                          "itemImageUrl='i2' where id=9;",
                          "delete from tb_item_list where id=9;", "BEGIN;",
                          "delete from tb_item_list where parentid=-1;",
                          "delete from tb_type_list where id=-1;", "COMMIT;"));

  std::vector<int> ids, parentIds;
  std::vector<std::string> names, urls, imageUrls;
  LoadTypeRows(db, ids, parentIds, names, gbk);
  LoadItemRows(db, -1, ids, names, urls, imageUrls, gbk);
  EXPECT_THAT(fake::callsStartingWith("get_table "),
              ElementsAre("select * from tb_type_list order by id;",
                          "select * from tb_item_list where parentid=-1 order by id;"));
}

TEST_F(CatalogueStatementTest, QuotesAreDoubledAndTextsGoInWhole) {
  const std::string attack = "'); delete from tb_item_list; --";
  UpdateTypeRow(db, 3, attack, gbk);
  EXPECT_EQ(executed().back(),
            "update tb_type_list set itemText='''); delete from tb_item_list; --' where id=3;");

  const std::string huge(100000, 'x');
  InsertItemRow(db, 1, huge, "", "'", gbk);
  EXPECT_EQ(executed().back(),
            "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) values(1, '" +
                huge + "', '', '''');");
}

TEST_F(CatalogueStatementTest, TextsAreWrittenInTheCodePage) {
  InsertTypeRow(db, 2, "\xE4\xB8\xAD\xE6\x96\x87", gbk);
  EXPECT_EQ(executed().back(),
            "insert into tb_type_list (parentid, ItemText) values(2, '\xD6\xD0\xCE\xC4');");
}

TEST_F(CatalogueStatementTest, RefusedTextsWriteNothing) {
  const std::string emoji = "\xF0\x9F\x98\x80";
  EXPECT_THROW(InsertItemRow(db, 1, "fine", "fine", emoji, gbk), CppSQLiteException);
  EXPECT_THROW(UpdateItemRow(db, 1, emoji, "fine", "fine", gbk), CppSQLiteException);
  EXPECT_THROW(InsertTypeRow(db, 1, std::string("a\0b", 3), gbk), CppSQLiteException);
  EXPECT_TRUE(executed().empty());
}

TEST_F(CatalogueStatementTest, FailedDeleteRollsBackTheCategorysVideos) {
  lib.answers = {{}, {}, {SQLITE_FULL, "database or disk is full"}};
  try {
    DeleteTypeRows(db, 4);
    FAIL() << "the failure was not raised";
  } catch (const CppSQLiteException& error) {
    EXPECT_EQ(error.code(), SQLITE_FULL);
  }
  EXPECT_THAT(executed(), ElementsAre("BEGIN;", "delete from tb_item_list where parentid=4;",
                                      "delete from tb_type_list where id=4;", "ROLLBACK;"));
}

TEST_F(CatalogueStatementTest, DeletesInsideAnOuterTransactionJoinIt) {
  {
    ScopedTransaction branch(db);
    DeleteTypeRows(db, 5);
    DeleteTypeRows(db, 6);
    branch.commit();
  }
  EXPECT_THAT(executed(), ElementsAre("BEGIN;", "delete from tb_item_list where parentid=5;",
                                      "delete from tb_type_list where id=5;",
                                      "delete from tb_item_list where parentid=6;",
                                      "delete from tb_type_list where id=6;", "COMMIT;"));
}

TEST_F(CatalogueStatementTest, FailedCommitRollsBackOnLeavingTheScope) {
  lib.answers = {{}, {SQLITE_BUSY, "database is locked"}};
  {
    ScopedTransaction transaction(db);
    EXPECT_THROW(transaction.commit(), CppSQLiteException);
  }
  EXPECT_THAT(executed(), ElementsAre("BEGIN;", "COMMIT;", "ROLLBACK;"));
}

TEST_F(CatalogueStatementTest, RowsAreReadByPositionWithNullAsEmptyOrZero) {
  lib.cells = {"id",       "parentid", "ItemText",   "extra", "1",          "-1",
               "\xD6\xD0", "x",        std::nullopt, "1",     std::nullopt, "y"};
  lib.rows = 2;
  lib.columns = 4;
  std::vector<int> ids, parentIds;
  std::vector<std::string> names;
  LoadTypeRows(db, ids, parentIds, names, gbk);
  EXPECT_THAT(ids, ElementsAre(1, 0));
  EXPECT_THAT(parentIds, ElementsAre(-1, 1));
  EXPECT_THAT(names, ElementsAre("\xE4\xB8\xAD", ""));
}

TEST_F(CatalogueStatementTest, TooFewColumnsFailsWithoutAHalfRow) {
  lib.cells = {"id", "parentid", "ItemText", "1", "-1", "only name"};
  lib.rows = 1;
  lib.columns = 3;
  std::vector<int> ids;
  std::vector<std::string> names, urls, imageUrls;
  try {
    LoadItemRows(db, -1, ids, names, urls, imageUrls, gbk);
    FAIL() << "the missing column was not reported";
  } catch (const CppSQLiteException& error) {
    EXPECT_THAT(error.message(), HasSubstr("Invalid field index requested"));
  }
  EXPECT_TRUE(ids.empty());
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(lib.liveTables, 0) << "the result is released on the way out";
}

TEST_F(CatalogueStatementTest, UneditedFileTextsGoBackAsTheirOwnBytes) {
  const std::string odd = "odd\xFF";
  lib.cells = {"id", "parentid", "ItemText", "itemUrl", "itemImageUrl", "3", "-1", odd, "u", "i"};
  lib.rows = 1;
  lib.columns = 5;
  std::vector<int> ids;
  std::vector<FileText> names, urls, imageUrls;
  LoadItemRows(db, -1, ids, names, urls, imageUrls, gbk);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].text(), "odd\xEF\xBF\xBD");
  urls[0].setText("u2");
  UpdateItemRow(db, ids[0], names[0], urls[0], imageUrls[0], gbk);
  EXPECT_EQ(executed().back(), "update tb_item_list set itemText='" + odd +
                                   "', itemUrl='u2', itemImageUrl='i' where id=3;");
}

TEST(StatementText, PlaceholdersMustMatchTheirValues) {
  EXPECT_EQ(formatStatement("a=%d b='%s'", {-2147483647 - 1, std::string("x")}),
            "a=-2147483648 b='x'");
  EXPECT_THROW(formatStatement("a=%d", {}), std::logic_error);
  EXPECT_THROW(formatStatement("a=%d", {std::string("x")}), std::logic_error);
  EXPECT_THROW(formatStatement("a=%d", {1, 2}), std::logic_error);
}

}  // namespace
