// Plugin files shared with the reference SQLite 2.8: the template it must accept, and files
// it wrote (GBK names, schemas of other programs with indexes) that we read and edit.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/catalogue.h"
#include "plugin_file.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace {

using namespace plugin_test;
using orvalen::test::referenceIntegrity;
using orvalen::test::referenceQuery;
using orvalen::test::TempDir;
using testing::ElementsAre;

const char kPluginSchema[] =
    "create table tb_type_list (id integer primary key, parentid integer, ItemText text);"
    "create table tb_item_list (id integer primary key, parentid integer, ItemText text, "
    "itemUrl text, itemImageUrl text);";

TEST(ReferencePlugin, TemplateIsAnEmptyPluginFileTheReferenceAccepts) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = copyOfTemplate(dir);
  EXPECT_EQ(referenceIntegrity(path), "ok");
  EXPECT_THAT(referenceQuery(path, "select count(*) from tb_type_list;"), ElementsAre("0"));
  EXPECT_THAT(referenceQuery(path, "select count(*) from tb_item_list;"), ElementsAre("0"));
  // Columns by position, and ids given by the engine as integer primary keys.
  referenceQuery(path,
                 "insert into tb_type_list (parentid, ItemText) values(-1, 'c');"
                 "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
                 "values(1, 'n', 'u', 'i');");
  EXPECT_THAT(referenceQuery(path, "select * from tb_type_list;"), ElementsAre("1|-1|c"));
  EXPECT_THAT(referenceQuery(path, "select * from tb_item_list;"), ElementsAre("1|1|n|u|i"));
}

TEST(ReferencePlugin, GbkCatalogueWrittenByTheReferenceIsReadAndEdited) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("gbk.vdb");
  referenceQuery(path, std::string(kPluginSchema) + "insert into tb_type_list values (1, -1, '" +
                           kChineseGbk +
                           "');"
                           "insert into tb_type_list values (2, 1, 'it''s');"
                           "insert into tb_item_list values (1, 1, '" +
                           kVideoGbk +
                           "', 'http://a', 'http://b');"
                           "insert into tb_item_list values (2, -1, 'root', '', NULL);"
                           "insert into tb_item_list values (3, 2, 'x', 'y', 'z');");
  CodePage gbk("CP936");
  CppSQLiteDB db;
  db.open(path.c_str());
  std::vector<int> ids, parentIds;
  std::vector<std::string> names, urls, imageUrls;
  LoadTypeRows(db, ids, parentIds, names, gbk);
  EXPECT_THAT(ids, ElementsAre(1, 2));
  EXPECT_THAT(parentIds, ElementsAre(-1, 1));
  EXPECT_THAT(names, ElementsAre(kChinese, "it's"));
  std::vector<int> videoIds;
  std::vector<std::string> videoNames;
  LoadItemRows(db, -1, videoIds, videoNames, urls, imageUrls, gbk);
  EXPECT_THAT(videoNames, ElementsAre("root"));
  EXPECT_THAT(imageUrls, ElementsAre(""));

  EXPECT_EQ(InsertTypeRow(db, 2, kVideo, gbk), 3);
  EXPECT_EQ(InsertItemRow(db, 3, kChinese + "'", "u'", kVideo, gbk), 4);
  UpdateTypeRow(db, 1, kVideo + " " + kChinese, gbk);
  UpdateItemRow(db, 1, kVideo + "2", "http://a2", "", gbk);
  DeleteItemRow(db, 2);
  DeleteTypeRows(db, 2);
  db.close();

  EXPECT_EQ(referenceIntegrity(path), "ok");
  EXPECT_THAT(referenceQuery(path, "select * from tb_type_list order by id;"),
              ElementsAre("1|-1|" + kVideoGbk + " " + kChineseGbk, "3|2|" + kVideoGbk));
  EXPECT_THAT(
      referenceQuery(path, "select * from tb_item_list order by id;"),
      ElementsAre("1|1|" + kVideoGbk + "2|http://a2|", "4|3|" + kChineseGbk + "'|u'|" + kVideoGbk));
}

// A file as another program might lay it out: other declared types, extra trailing columns
// (one with a default), and indexes on the parent ids, with enough rows for several pages.
class ForeignSchemaTest : public testing::Test {
 protected:
  void makeFile() {
    std::string sql =
        "create table tb_type_list (id integer primary key, parentid int, "
        "ItemText varchar(64), position int default 0);"
        "create index type_parent on tb_type_list (parentid);"
        "create table tb_item_list (id integer primary key, parentid int, "
        "ItemText varchar(255), itemUrl text, itemImageUrl text, duration int, note text);"
        "create index item_parent on tb_item_list (parentid);"
        "begin;";
    for (int category = 1; category <= 6; ++category) {
      sql += "insert into tb_type_list values (" + std::to_string(category) + ", " +
             (category <= 3 ? "-1" : "1") + ", 'c" + std::to_string(category) + "', " +
             std::to_string(category * 10) + ");";
    }
    for (int video = 1; video <= 300; ++video) {
      std::string id = std::to_string(video);
      sql += "insert into tb_item_list values (" + id + ", " + std::to_string(video % 6 + 1) +
             ", 'video " + id + "', 'http://example.org/" + std::string(60, 'p') + id +
             "', 'http://example.org/i/" + id + "', " + id + ", 'note " + id + "');";
    }
    referenceQuery(path, sql + "commit;");
  }
  int referenceCount(const std::string& where) {
    return std::stoi(referenceQuery(path, "select count(*) from tb_item_list where " + where)[0]);
  }

  TempDir dir;
  std::string path = dir.file("foreign.vdb");
  CodePage gbk{"CP936"};
};

TEST_F(ForeignSchemaTest, IsReadAndEditedWithItsIndexesKeptConsistent) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  makeFile();
  CppSQLiteDB db;
  db.open(path.c_str());
  std::vector<int> ids, parentIds;
  std::vector<std::string> names;
  LoadTypeRows(db, ids, parentIds, names, gbk);
  EXPECT_THAT(ids, ElementsAre(1, 2, 3, 4, 5, 6));
  EXPECT_THAT(parentIds, ElementsAre(-1, -1, -1, 1, 1, 1));
  EXPECT_EQ(names[5], "c6");

  std::vector<int> videoIds;
  std::vector<std::string> videoNames, urls, imageUrls;
  LoadItemRows(db, 2, videoIds, videoNames, urls, imageUrls, gbk);
  ASSERT_EQ(videoIds.size(), 50u);
  EXPECT_EQ(videoIds[0], 1);
  EXPECT_EQ(videoNames[0], "video 1");
  EXPECT_EQ(imageUrls[49], "http://example.org/i/295");

  int category = InsertTypeRow(db, 4, kChinese, gbk);
  EXPECT_EQ(category, 7);
  for (int i = 0; i < 40; ++i)
    InsertItemRow(db, category, kVideo + std::to_string(i), "u", "i", gbk);
  UpdateItemRow(db, 7, "renamed", "u7", "i7", gbk);
  UpdateTypeRow(db, 2, "two", gbk);
  DeleteTypeRows(db, 3);
  DeleteItemRow(db, 1);
  db.close();

  EXPECT_EQ(referenceIntegrity(path), "ok");
  // The indexed lookup must find what a full scan finds.
  for (int parent = 1; parent <= 7; ++parent) {
    std::string id = std::to_string(parent);
    EXPECT_EQ(referenceCount("parentid=" + id + ";"), referenceCount("parentid+0=" + id + ";"))
        << "parent " << id;
  }
  EXPECT_EQ(referenceCount("parentid=7;"), 40);
  EXPECT_EQ(referenceCount("parentid=3;"), 0);
  EXPECT_THAT(referenceQuery(path, "select * from tb_item_list where id=7;"),
              ElementsAre("7|2|renamed|u7|i7|7|note 7"));
  EXPECT_THAT(referenceQuery(path, "select * from tb_type_list where parentid=4 or id=2;"),
              ElementsAre("2|-1|two|20", "7|4|" + kChineseGbk + "|0"));
  EXPECT_THAT(referenceQuery(path, "select count(*) from tb_type_list where parentid=-1;"),
              ElementsAre("2"));
}

}  // namespace
