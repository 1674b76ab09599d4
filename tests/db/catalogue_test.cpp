// The catalogue routines on copies of the template plugin file, on our own engine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/catalogue.h"
#include "db/transaction.h"
#include "plugin_file.h"
#include "support/temp_dir.h"

namespace {

using namespace plugin_test;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using testing::ElementsAre;
using testing::IsEmpty;

class CatalogueTest : public testing::Test {
 protected:
  void SetUp() override { db.open(path.c_str()); }

  struct Videos {
    std::vector<int> ids;
    std::vector<std::string> names, urls, imageUrls;
  };
  Videos videosOf(int typeId) {
    Videos videos;
    LoadItemRows(db, typeId, videos.ids, videos.names, videos.urls, videos.imageUrls, gbk);
    return videos;
  }
  std::vector<std::string> categoryNames() {
    std::vector<int> ids, parentIds;
    std::vector<std::string> names;
    LoadTypeRows(db, ids, parentIds, names, gbk);
    return names;
  }

  TempDir dir;
  std::string path = copyOfTemplate(dir);
  CodePage gbk{"CP936"};
  CppSQLiteDB db;
};

TEST_F(CatalogueTest, EmptyCatalogueLoadsNothing) {
  std::vector<int> ids, parentIds;
  std::vector<std::string> names;
  LoadTypeRows(db, ids, parentIds, names, gbk);
  EXPECT_THAT(ids, IsEmpty());
  EXPECT_THAT(videosOf(-1).ids, IsEmpty());
}

TEST_F(CatalogueTest, CategoriesGetIncreasingIdsAndComeBackInIdOrder) {
  int top = InsertTypeRow(db, -1, kChinese, gbk);
  int child = InsertTypeRow(db, top, "child", gbk);
  EXPECT_EQ(top, 1);
  EXPECT_EQ(child, 2);
  db.runStatement("insert into tb_type_list (id, parentid, ItemText) values (9, -1, 'nine');");
  db.runStatement("insert into tb_type_list (id, parentid, ItemText) values (5, 9, 'five');");
  EXPECT_EQ(InsertTypeRow(db, 5, "ten", gbk), 10);

  std::vector<int> ids, parentIds;
  std::vector<std::string> names;
  LoadTypeRows(db, ids, parentIds, names, gbk);
  EXPECT_THAT(ids, ElementsAre(1, 2, 5, 9, 10));
  EXPECT_THAT(parentIds, ElementsAre(-1, 1, 9, -1, 5));
  EXPECT_THAT(names, ElementsAre(kChinese, "child", "five", "nine", "ten"));
  EXPECT_THAT(rowsOf(db, "select ItemText from tb_type_list where id=1;"),
              ElementsAre(kChineseGbk));
}

TEST_F(CatalogueTest, VideosBelongToTheirCategoryOrToTheRoot) {
  int category = InsertTypeRow(db, -1, "c", gbk);
  int first = InsertItemRow(db, category, kVideo, "http://v/1", "http://i/1", gbk);
  int underRoot = InsertItemRow(db, -1, "root video", "", "", gbk);
  int second = InsertItemRow(db, category, "", "", "", gbk);
  EXPECT_EQ(underRoot, first + 1);

  Videos videos = videosOf(category);
  EXPECT_THAT(videos.ids, ElementsAre(first, second));
  EXPECT_THAT(videos.names, ElementsAre(kVideo, ""));
  EXPECT_THAT(videos.urls, ElementsAre("http://v/1", ""));
  EXPECT_THAT(videos.imageUrls, ElementsAre("http://i/1", ""));
  EXPECT_THAT(videosOf(-1).names, ElementsAre("root video"));
  EXPECT_THAT(rowsOf(db, "select parentid from tb_item_list where id=" + std::to_string(underRoot)),
              ElementsAre("-1"));
}

TEST_F(CatalogueTest, UpdatesChangeTheColumnsTheInsertsFilled) {
  int category = InsertTypeRow(db, -1, "old", gbk);
  UpdateTypeRow(db, category, kChinese, gbk);
  EXPECT_THAT(categoryNames(), ElementsAre(kChinese));

  int video = InsertItemRow(db, category, "n", "u", "i", gbk);
  UpdateItemRow(db, video, "n2", kVideo, "", gbk);
  Videos videos = videosOf(category);
  EXPECT_THAT(videos.names, ElementsAre("n2"));
  EXPECT_THAT(videos.urls, ElementsAre(kVideo));
  EXPECT_THAT(videos.imageUrls, ElementsAre(""));
}

TEST_F(CatalogueTest, DeleteTypeRowsTakesOnlyTheCategorysOwnRowAndVideos) {
  int parent = InsertTypeRow(db, -1, "parent", gbk);
  int child = InsertTypeRow(db, parent, "child", gbk);
  InsertItemRow(db, parent, "p1", "", "", gbk);
  InsertItemRow(db, parent, "p2", "", "", gbk);
  InsertItemRow(db, child, "c1", "", "", gbk);

  DeleteTypeRows(db, 999);
  EXPECT_EQ(rowsOf(db, "select * from tb_item_list;").size(), 3u);
  DeleteTypeRows(db, parent);
  EXPECT_THAT(categoryNames(), ElementsAre("child"));
  EXPECT_THAT(videosOf(parent).ids, IsEmpty());
  EXPECT_THAT(videosOf(child).names, ElementsAre("c1"));
  DeleteTypeRows(db, child);
  DeleteTypeRows(db, child);
  EXPECT_THAT(categoryNames(), IsEmpty());
  EXPECT_THAT(rowsOf(db, "select * from tb_item_list;"), IsEmpty());

  int video = InsertItemRow(db, -1, "v", "", "", gbk);
  DeleteItemRow(db, video);
  EXPECT_THAT(videosOf(-1).ids, IsEmpty());
}

TEST_F(CatalogueTest, QuotesAndHugeTextsAreStoredExactlyAsGiven) {
  const std::string attack = "'); delete from tb_item_list; --";
  const std::string quotes = "it's ''quoted'' '";
  int category = InsertTypeRow(db, -1, attack, gbk);
  int video = InsertItemRow(db, category, quotes, attack, "'", gbk);
  EXPECT_THAT(categoryNames(), ElementsAre(attack));
  EXPECT_THAT(videosOf(category).urls, ElementsAre(attack));
  UpdateTypeRow(db, category, quotes, gbk);
  EXPECT_THAT(categoryNames(), ElementsAre(quotes));

  const std::string huge = std::string(100000, 'h') + "'" + kChinese;
  UpdateItemRow(db, video, huge, huge + "u", huge + "i", gbk);
  int second = InsertItemRow(db, category, huge, "", huge, gbk);
  Videos videos = videosOf(category);
  EXPECT_THAT(videos.ids, ElementsAre(video, second));
  EXPECT_EQ(videos.names[0], huge);
  EXPECT_EQ(videos.urls[0], huge + "u");
  EXPECT_EQ(videos.imageUrls[0], huge + "i");
  EXPECT_EQ(videos.imageUrls[1], huge);
}

TEST_F(CatalogueTest, RefusedTextLeavesTheFileUntouched) {
  InsertTypeRow(db, -1, "keep", gbk);
  db.close();
  const std::string before = readFile(path);
  db.open(path.c_str());
  const std::string emoji = "\xF0\x9F\x98\x80";
  EXPECT_THROW(InsertItemRow(db, 1, "a", "b", emoji, gbk), CppSQLiteException);
  EXPECT_THROW(UpdateTypeRow(db, 1, emoji, gbk), CppSQLiteException);
  db.close();
  EXPECT_EQ(readFile(path), before);
}

TEST_F(CatalogueTest, UnchangedUndecodableTextsKeepTheirBytes) {
  db.runStatement(
      "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
      "values (-1, 'bad\xFF\x80', 'u', 'i');");
  db.runStatement("insert into tb_type_list (parentid, ItemText) values (-1, 'cat\xFF');");
  std::vector<int> ids, typeIds, parentIds;
  std::vector<FileText> names, urls, imageUrls, typeNames;
  LoadItemRows(db, -1, ids, names, urls, imageUrls, gbk);
  LoadTypeRows(db, typeIds, parentIds, typeNames, gbk);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(names[0].hasUndecodableBytes());

  imageUrls[0].setText("i2");
  UpdateItemRow(db, ids[0], names[0], urls[0], imageUrls[0], gbk);
  UpdateTypeRow(db, typeIds[0], typeNames[0], gbk);
  EXPECT_THAT(rowsOf(db, "select ItemText, itemImageUrl from tb_item_list;"),
              ElementsAre("bad\xFF\x80|i2"));
  EXPECT_THAT(rowsOf(db, "select ItemText from tb_type_list;"), ElementsAre("cat\xFF"));
}

TEST_F(CatalogueTest, FailedDeleteLeavesTheVideos) {
  db.runStatement("drop table tb_type_list;");
  int video = InsertItemRow(db, 3, "survivor", "", "", gbk);
  EXPECT_THROW(DeleteTypeRows(db, 3), CppSQLiteException);
  EXPECT_THAT(videosOf(3).ids, ElementsAre(video));
  DeleteItemRow(db, video);
  EXPECT_THAT(videosOf(3).ids, IsEmpty()) << "the connection is usable after the rollback";
}

TEST_F(CatalogueTest, ScopedTransactionCommitsOrRollsBackTheWhole) {
  {
    ScopedTransaction transaction(db);
    InsertTypeRow(db, -1, "kept", gbk);
    transaction.commit();
  }
  try {
    ScopedTransaction transaction(db);
    InsertTypeRow(db, -1, "lost", gbk);
    InsertTypeRow(db, -1, "\xF0\x9F\x98\x80", gbk);
    transaction.commit();
  } catch (const CppSQLiteException&) {
  }
  db.close();
  db.open(path.c_str());
  EXPECT_THAT(categoryNames(), ElementsAre("kept"));
}

// Files written elsewhere can hold parent ids that name no number; they read as nothing, where
// the plain form reads what atoi makes of them.
TEST_F(CatalogueTest, ParentIdsThatAreNoWholeNumberReadAsNothing) {
  const char* parents[] = {"-1", "NULL", "'abc'", "' 7 '", "'7x'", "''", "'99999999999'", "'+3'"};
  for (const char* parent : parents) {
    db.runStatement(
        ("insert into tb_type_list (parentid, ItemText) values(" + std::string(parent) + ", 'c');")
            .c_str());
  }
  std::vector<int> ids;
  std::vector<std::optional<int>> parentIds;
  std::vector<FileText> names;
  LoadTypeRows(db, ids, parentIds, names, gbk);
  EXPECT_THAT(parentIds, ElementsAre(-1, std::nullopt, std::nullopt, 7, std::nullopt, std::nullopt,
                                     std::nullopt, 3));
  EXPECT_THAT(ids, ElementsAre(1, 2, 3, 4, 5, 6, 7, 8));

  std::vector<int> plainIds, plainParents;
  std::vector<std::string> plainNames;
  LoadTypeRows(db, plainIds, plainParents, plainNames, gbk);
  EXPECT_THAT(plainParents, ElementsAre(-1, 0, 0, 7, 7, 0, 2147483647, 3));
}

// A table with fewer columns than its reader takes is not a plugin file's table.
TEST_F(CatalogueTest, ATableWithTooFewColumnsIsNoPluginFile) {
  CppSQLiteDB other;
  other.open(dir.file("short.vdb").c_str());
  other.runStatement("create table tb_type_list (id integer primary key, parentid);");
  other.runStatement("create table tb_item_list (id integer primary key, parentid, ItemText);");
  std::vector<int> ids, parentIds;
  std::vector<std::string> names;
  LoadTypeRows(other, ids, parentIds, names, gbk);
  EXPECT_THAT(ids, IsEmpty()) << "no rows, nothing to miss";
  other.runStatement("insert into tb_type_list (parentid) values(-1);");
  other.runStatement("insert into tb_item_list (parentid, ItemText) values(-1, 'v');");
  for (auto load : {+[](CppSQLiteDB&d, const CodePage&c) {
                      std::vector<int> i, p;
                      std::vector<std::string> n;
                      LoadTypeRows(d, i, p, n, c);
                    },
                    +[](CppSQLiteDB&d, const CodePage&c) {
                      std::vector<int> i;
                      std::vector<std::string> n, u, m;
                      LoadItemRows(d, -1, i, n, u, m, c);
                    }}) {
    try {
      load(other, gbk);
      ADD_FAILURE() << "loaded";
    } catch (const CppSQLiteException& error) {
      EXPECT_STREQ(error.message(), "CPPSQLITE_ERROR[1000]: Invalid field index requested");
      EXPECT_EQ(error.kind(), FailureKind::kNotPluginFile);
    }
  }
}

}  // namespace
