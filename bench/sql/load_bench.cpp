// How long the editor's logic takes to show a category of 100,000 videos: the query alone
// (sqlite_get_table through the wrapper), the load in db/ (LoadItemRows: the query, the code
// page conversion of 300,000 texts, the lists) and the whole selection of the category in the
// editor through the in-memory test toolkit (FillItemList and the list's rows). Prints the
// median of each over the runs; asserts nothing.
//
//   orvalen-load-bench [videos [runs]]
//
// The plugin file is made with our engine: one category holding all the videos (names in
// GBK, like "视频 123", URLs in ASCII) and a few small ones.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "db/catalogue.h"
#include "db/catalogue_statements.h"
#include "db/code_page.h"
#include "db/database.h"
#include "db/statement_text.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLargeCategory = 1;
constexpr int kSmallCategories = 9;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double medianMilliseconds(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const Clock::time_point start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return median(times);
}

void makePluginFile(const std::string& path, int videos) {
  CppSQLiteDB db;
  db.open(path.c_str());
  db.runStatement(
      "create table tb_type_list (id INTEGER PRIMARY KEY, parentid int, ItemText varchar(255));"
      "create table tb_item_list (id INTEGER PRIMARY KEY, parentid int, ItemText varchar(255), "
      "itemUrl varchar(255), itemImageUrl varchar(255));"
      "begin;");
  const CodePage gbk("CP936");
  for (int category = 1; category <= 1 + kSmallCategories; ++category) {
    db.runStatement(formatStatement(kInsertCategoryStatement,
                                    {-1, gbk.encode("分类 " + std::to_string(category))})
                        .c_str());
  }
  for (int video = 1; video <= videos; ++video) {
    const int category = video % 1000 == 0 ? 2 + video / 1000 % kSmallCategories : kLargeCategory;
    const std::string number = std::to_string(video);
    db.runStatement(
        formatStatement(kInsertVideoStatement,
                        {category, gbk.encode("视频 " + number),
                         "http://media.example.invalid/videos/" + number + "/stream.m3u8",
                         "http://media.example.invalid/images/" + number + ".jpg"})
            .c_str());
  }
  db.runStatement("commit;");
}

}  // namespace

int main(int argc, char** argv) {
  const int videos = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  // The texts are GBK whatever the environment says.
  setenv("ORVALEN_CODEPAGE", "CP936", 1);
  orvalen::test::TempDir dir;
  const std::string path = dir.file("large.vdb");
  const Clock::time_point madeFrom = Clock::now();
  makePluginFile(path, videos);
  std::printf("plugin file: %d videos, made in %.1f s; median of %d runs\n", videos,
              std::chrono::duration<double>(Clock::now() - madeFrom).count(), runs);

  CppSQLiteDB db;
  db.open(path.c_str());
  const std::string query = formatStatement(kSelectVideosStatement, {kLargeCategory});
  int rows = 0;
  const double queryMs = medianMilliseconds(runs, [&] {
    CppSQLiteTable table = db.queryTable(query.c_str());
    rows = table.rowCount();
  });
  std::printf("%-44s %9.1f ms  (%d rows)\n", "query (sqlite_get_table)", queryMs, rows);

  const CodePage codePage = CodePage::forPluginFiles();
  const double loadMs = medianMilliseconds(runs, [&] {
    std::vector<int> ids;
    std::vector<FileText> names, urls, imageUrls;
    LoadItemRows(db, kLargeCategory, ids, names, urls, imageUrls, codePage);
  });
  std::printf("%-44s %9.1f ms\n", "load in db/ (LoadItemRows, FileText)", loadMs);

  orvalen::test::EditorSession session(path);
  const orvalen::TreeItem large = session.item({"分类 1"});
  const orvalen::TreeItem small = session.item({"分类 2"});
  std::vector<double> selectTimes;
  for (int run = 0; run < runs; ++run) {
    session.select(small);  // away and back, so that each run fills the list afresh
    const Clock::time_point start = Clock::now();
    session.select(large);
    selectTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::printf("%-44s %9.1f ms  (%d rows shown)\n", "select the category in the editor",
              median(selectTimes), session.list().rowCount());
  return 0;
}
