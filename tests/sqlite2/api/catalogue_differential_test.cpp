// The plugin catalogue's nine statements, as the editor issues them, behave byte for byte as
// in SQLite 2.8: on a plugin file made by SQLite 2.8 and on one made by Orvalen's engine, the
// same results, change counts, new row numbers and file contents.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "differential_expectations.h"
#include "engine_calls.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace orvalen::test {
namespace {

const char* const kCreateTables =
    "CREATE TABLE tb_type_list(id INTEGER PRIMARY KEY, parentid integer, ItemText varchar(256));"
    "CREATE TABLE tb_item_list(id INTEGER PRIMARY KEY, parentid integer, ItemText varchar(256), "
    "itemUrl varchar(256), itemImageUrl varchar(256));";

const char* const kGbkName = "\xca\xd3\xc6\xb5\xb7\xd6\xc0\xe0";  // 视频分类 in GBK

// The catalogue statements, filled as the editor fills them (quotes in texts doubled).
class CatalogueStatements {
 public:
  explicit CatalogueStatements(const EngineCalls& formatter) : formatter_(formatter) {}

  std::string selectCategories() const { return "select * from tb_type_list order by id;"; }
  std::string selectVideos(int category) const {
    return format("select * from tb_item_list where parentid=%d order by id;", category);
  }
  std::string deleteCategoryVideos(int category) const {
    return format("delete from tb_item_list where parentid=%d;", category);
  }
  std::string deleteCategory(int category) const {
    return format("delete from tb_type_list where id=%d;", category);
  }
  std::string insertCategory(int parent, const std::string& name) const {
    return format("insert into tb_type_list (parentid, ItemText) values(%d, '%q');", parent,
                  name.c_str());
  }
  std::string updateCategory(const std::string& name, int id) const {
    return format("update tb_type_list set itemText='%q' where id=%d;", name.c_str(), id);
  }
  std::string insertVideo(int category, const std::string& name, const std::string& url,
                          const std::string& image) const {
    return format(
        "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) values(%d, '%q', "
        "'%q', '%q');",
        category, name.c_str(), url.c_str(), image.c_str());
  }
  std::string updateVideo(const std::string& name, const std::string& url, const std::string& image,
                          int id) const {
    return format(
        "update tb_item_list set itemText='%q', itemUrl='%q', itemImageUrl='%q' where id=%d;",
        name.c_str(), url.c_str(), image.c_str(), id);
  }
  std::string deleteVideo(int id) const {
    return format("delete from tb_item_list where id=%d;", id);
  }

 private:
  template <typename... Args>
  std::string format(const char* pattern, Args... args) const {
    char* text = formatter_.mprintf(pattern, args...);
    std::string copy = text;
    formatter_.freemem(text);
    return copy;
  }

  const EngineCalls& formatter_;
};

// A plugin file with both tables and a few rows, written by the given engine.
std::string makePluginFile(const EngineCalls& engine) {
  TempDir dir;
  char* message = nullptr;
  void* db = engine.open(dir.file("plugin.vdb").c_str(), 0, &message);
  EXPECT_NE(db, nullptr) << (message ? message : "");
  if (!db) return std::string();
  EXPECT_EQ(engine.exec(db, kCreateTables, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(engine.exec(db,
                        "insert into tb_type_list (parentid, ItemText) values(-1, 'Template');"
                        "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
                        "values(1, 'Sample', 'http://example.invalid/v.mp4', '');",
                        nullptr, nullptr, nullptr),
            0);
  engine.close(db);
  return readFile(dir.file("plugin.vdb"));
}

class CatalogueDifferentialTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    reference_ = referenceEngine(&why_);
    if (!reference_) GTEST_SKIP() << "reference engine unavailable: " << why_;
    preferMemoryBackedTemporaryFiles();
    const bool madeByReference = GetParam();
    const std::string bytes = makePluginFile(madeByReference ? *reference_ : ourEngineCalls());
    ASSERT_FALSE(bytes.empty());
    twins_ = std::make_unique<TwinDatabases>(ourEngineCalls(), *reference_, bytes);
    statements_ = std::make_unique<CatalogueStatements>(*reference_);
  }
  void TearDown() override {
    if (twins_) expectSameFiles(*twins_);
  }

  void write(const std::string& sql) { expectSameExec(*twins_, sql); }
  void query(const std::string& sql) { expectSameGetTable(*twins_, sql); }
  const CatalogueStatements& sql() const { return *statements_; }

 private:
  std::string why_;
  const sqlite2_reference* reference_ = nullptr;
  std::unique_ptr<TwinDatabases> twins_;
  std::unique_ptr<CatalogueStatements> statements_;
};

TEST_P(CatalogueDifferentialTest, EditingSession) {
  query(sql().selectCategories());
  write(sql().insertCategory(-1, "Movies"));
  write(sql().insertCategory(2, "It's \"action\""));
  write(sql().insertCategory(-1, kGbkName));
  write(sql().insertCategory(-1, ""));
  write(sql().insertCategory(3, "\xe4\xbd\xa0\xe5\xa5\xbd"));
  query(sql().selectCategories());
  write(sql().insertVideo(2, "First", "http://a.invalid/v?x=1&y='2'", "http://a.invalid/i.png"));
  write(sql().insertVideo(-1, "Under the root", "", ""));
  write(sql().insertVideo(4, kGbkName, "rtsp://b.invalid/''", "'"));
  write(sql().insertVideo(2, "Second", "u", "i"));
  query(sql().selectVideos(2));
  query(sql().selectVideos(-1));
  query(sql().selectVideos(1));
  query(sql().selectVideos(99));
  write(sql().updateCategory("Renamed's", 3));
  write(sql().updateCategory("nobody", 999));
  write(sql().updateVideo("New name", "new 'url'", "", 3));
  write(sql().updateVideo("x", "y", "z", -1));
  write(sql().deleteVideo(4));
  write(sql().deleteVideo(-1));
  query(sql().selectVideos(2));
  write(sql().deleteCategoryVideos(2));
  write(sql().deleteCategory(2));
  write(sql().deleteCategoryVideos(77));
  write(sql().deleteCategory(77));
  query(sql().selectCategories());
  query(sql().selectVideos(4));
}

TEST_P(CatalogueDifferentialTest, LongestStatementOfTheEditor) {
  // Texts that make the update statement exactly 2046 characters long.
  const std::string prefix = sql().updateVideo("", "", "", 1);
  const size_t room = 2046 - prefix.size();
  const std::string name(room / 3, 'n');
  const std::string url(room / 3, 'u');
  const std::string image(room - 2 * (room / 3), 'i');
  const std::string statement = sql().updateVideo(name, url, image, 1);
  ASSERT_EQ(statement.size(), 2046u);
  write(statement);
  write(sql().insertVideo(1, name, url, image));
  query(sql().selectVideos(1));
}

TEST_P(CatalogueDifferentialTest, ManyCategoriesAndVideos) {
  for (int i = 0; i < 300; ++i) {
    write(sql().insertCategory(i % 7 == 0 ? -1 : 1 + i / 2, "Category " + std::to_string(i)));
  }
  for (int i = 0; i < 600; ++i) {
    write(sql().insertVideo(1 + (i * 37) % 300, "Video " + std::to_string(i),
                            "http://v.invalid/" + std::string(i % 50, 'p'), "img"));
  }
  query(sql().selectCategories());
  for (int category : {1, 2, 37, 150, 299, -1}) query(sql().selectVideos(category));
  for (int category = 1; category < 300; category += 3) {
    write(sql().deleteCategoryVideos(category));
    write(sql().deleteCategory(category));
  }
  query(sql().selectCategories());
  query(sql().selectVideos(2));
}

INSTANTIATE_TEST_SUITE_P(FileMadeBy, CatalogueDifferentialTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Reference") : std::string("Orvalen");
                         });

}  // namespace
}  // namespace orvalen::test
