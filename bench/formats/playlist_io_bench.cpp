// How long the editor's playlist import and export take on a real plugin file, without the
// windows: a 100,000-entry M3U8 (1,000 groups two levels deep, Chinese names, an image each)
// imported into an empty category as the editor does it (read the file, plan, one transaction
// that also records the undo step), and the whole file exported again as M3U8.
// Beside them, what the reference SQLite 2.8 takes for the database's share of each: inserting
// the same categories and videos in one transaction, and reading every row back. Prints
// medians, ranges and ratios; asserts nothing.
//
//   orvalen-playlist-io-bench [videos [rounds]]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "db/database.h"
#include "db/row_images.h"
#include "db/transaction.h"
#include "editor/playlist_export.h"
#include "editor/playlist_import.h"
#include "formats/playlist_writer.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kGroups = 1000;
constexpr const char* kCreateTypes =
    "create table tb_type_list (id integer primary key, parentid integer, ItemText text)";
constexpr const char* kCreateItems =
    "create table tb_item_list (id integer primary key, parentid integer, ItemText text, "
    "itemUrl text, itemImageUrl text)";

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void die(const std::string& why) {
  std::fprintf(stderr, "%s\n", why.c_str());
  std::exit(1);
}

std::string groupName(int group) {
  return "频道 " + std::to_string(group / 50) + "/节目 第" + std::to_string(group) + "组";
}

std::string videoName(int video) {
  return "视频 " + std::to_string(video) + " 高清";
}

std::string videoUrl(int video) {
  return "http://media.example.invalid/videos/" + std::to_string(video) + "/index.m3u8";
}

std::string imageUrl(int video) {
  return "http://media.example.invalid/images/" + std::to_string(video) + ".jpg";
}

std::string makePlaylist(int videos) {
  std::string text;
  const auto writer = orvalen::formats::makeM3uWriter(&text);
  for (int group = 0; group < kGroups; ++group) {
    const std::string path = groupName(group);
    writer->beginCategory({path.substr(0, path.find('/')), path.substr(path.find('/') + 1)});
    for (int video = group; video < videos; video += kGroups) {
      writer->addVideo({videoName(video), videoUrl(video), imageUrl(video)});
    }
  }
  writer->finish();
  return text;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A plugin file with one category, 1, under the root: the import's target.
void makeEmptyPluginFile(CppSQLiteDB& db, const std::string& path) {
  std::remove(path.c_str());
  db.open(path.c_str());
  db.runStatement(kCreateTypes);
  db.runStatement(kCreateItems);
  db.runStatement("insert into tb_type_list values(1, -1, 'import')");
}

// The editor's import after the file dialog: read, plan, write in one recorded transaction.
double importMs(const std::string& playlist, const std::string& pluginFile,
                const CodePage& codePage, int expectedVideos) {
  CppSQLiteDB db;
  makeEmptyPluginFile(db, pluginFile);
  const auto keepGoing = [](double) { return true; };
  const Clock::time_point start = Clock::now();
  auto plan = orvalen::ReadImportPlan(playlist, readFile(playlist), codePage, keepGoing);
  if (!plan || static_cast<int>(plan->videos.size()) != expectedVideos) die("import: plan short");
  orvalen::ExistingCategories(db, 1, *plan, codePage);
  {
    ScopedTransaction transaction(db);
    RowChangeRecorder recorder(db);
    orvalen::WriteImport(db, recorder, 1, *plan, codePage, keepGoing);
    recorder.finish();
    transaction.commit();
  }
  return millisecondsSince(start);
}

double exportMs(const std::string& pluginFile, const std::string& exported,
                const CodePage& codePage, int expectedVideos) {
  CppSQLiteDB db;
  db.open(pluginFile.c_str());
  const Clock::time_point start = Clock::now();
  const orvalen::ExportResult result =
      orvalen::ExportBranch(db, -1, orvalen::formats::PlaylistFormat::kM3u, codePage, exported);
  const double ms = millisecondsSince(start);
  if (!result.written || static_cast<int>(result.videos) != expectedVideos) die("export: short");
  return ms;
}

const sqlite2_reference* reference() {
  std::string why;
  const sqlite2_reference* ref = orvalen::test::referenceEngine(&why);
  if (!ref) die("the reference engine is needed: " + why);
  return ref;
}

void referenceExec(void* db, const std::string& sql, sqlite2_reference_callback callback = nullptr,
                   void* argument = nullptr) {
  char* error = nullptr;
  if (reference()->exec(db, sql.c_str(), callback, argument, &error) != 0) {
    die(std::string("reference engine: ") + (error ? error : "failed"));
  }
}

std::string quoted(const std::string& text) {
  return "'" + text + "'";
}

// The same rows as the import makes (the group categories, then every video), in one
// transaction of single INSERTs, as a script would write them.
double referenceInsertMs(const std::string& path, const CodePage& codePage, int videos) {
  std::remove(path.c_str());
  char* error = nullptr;
  void* db = reference()->open(path.c_str(), 0, &error);
  referenceExec(db, kCreateTypes);
  referenceExec(db, kCreateItems);
  const Clock::time_point start = Clock::now();
  referenceExec(db, "begin");
  for (int group = 0; group < kGroups; ++group) {
    referenceExec(db, "insert into tb_type_list values(" + std::to_string(group + 2) + ", 1, " +
                          quoted(codePage.encode(groupName(group))) + ")");
  }
  for (int video = 0; video < videos; ++video) {
    referenceExec(db, "insert into tb_item_list values(" + std::to_string(video + 1) + ", " +
                          std::to_string(video % kGroups + 2) + ", " +
                          quoted(codePage.encode(videoName(video))) + ", " +
                          quoted(videoUrl(video)) + ", " + quoted(imageUrl(video)) + ")");
  }
  referenceExec(db, "commit");
  const double ms = millisecondsSince(start);
  reference()->close(db);
  return ms;
}

// Every row of both tables read back, in the order an export visits the videos.
double referenceReadMs(const std::string& path) {
  char* error = nullptr;
  void* db = reference()->open(path.c_str(), 0, &error);
  long rows = 0;
  const auto count = [](void* counter, int, char**, char**) {
    ++*static_cast<long*>(counter);
    return 0;
  };
  const Clock::time_point start = Clock::now();
  referenceExec(db, "select * from tb_type_list", count, &rows);
  referenceExec(db, "select * from tb_item_list order by parentid, id", count, &rows);
  const double ms = millisecondsSince(start);
  reference()->close(db);
  return ms;
}

double median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void report(const char* what, const std::vector<double>& ours, const std::vector<double>& ref) {
  const auto [low, high] = std::minmax_element(ours.begin(), ours.end());
  const auto [refLow, refHigh] = std::minmax_element(ref.begin(), ref.end());
  std::printf(
      "%-8s ours median %8.1f ms (%.1f .. %.1f)   reference %8.1f ms (%.1f .. %.1f)   "
      "ratio %.2f\n",
      what, median(ours), *low, *high, median(ref), *refLow, *refHigh, median(ours) / median(ref));
}

}  // namespace

int main(int argc, char** argv) {
  const int videos = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const CodePage codePage = CodePage::forPluginFiles();
  orvalen::test::TempDir dir;
  const std::string playlist = dir.file("频道.m3u8");
  writeFile(playlist, makePlaylist(videos));
  std::printf("%d videos in %d groups, %d rounds, code page %s\n", videos, kGroups, rounds,
              codePage.name().c_str());

  std::vector<double> imports, exports, refInserts, refReads;
  for (int round = 0; round < rounds; ++round) {
    imports.push_back(importMs(playlist, dir.file("ours.vdb"), codePage, videos));
    exports.push_back(exportMs(dir.file("ours.vdb"), dir.file("out.m3u8"), codePage, videos));
    refInserts.push_back(referenceInsertMs(dir.file("ref.vdb"), codePage, videos));
    refReads.push_back(referenceReadMs(dir.file("ref.vdb")));
  }
  report("import", imports, refInserts);
  report("export", exports, refReads);
  return 0;
}
