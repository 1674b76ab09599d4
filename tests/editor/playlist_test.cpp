// Playlists through the tree's menu, on a real plugin file read back by the reference SQLite
// 2.8: what an import adds where, which entries its summary names as not taken, that a cancel
// at the summary or during the write leaves the file as it was; and that an export imported
// into an empty category gives back the same tree.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/user_texts.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/reference_engine.h"

namespace orvalen::test {
namespace {

enum class Answer { kOk, kCancelSummary, kCancelWrite };

struct ImportCase {
  const char* name;
  const char* fileName;
  const char* playlist;
  std::vector<std::string> target;  // labels from the root
  Answer answer;
  std::vector<TypeRow> newTypes;
  std::vector<ItemRow> newItems;
  std::vector<int> refusedLines;
  // Where an undo leaves the selection: under the first category made.
  std::vector<std::string> selectedAfterUndo;
};

const ImportCase kCases[] = {
    {"m3u groups made, reused and nested; entries the file cannot take",
     "频道.m3u8",
     "#EXTM3U\r\n"
     "#EXTINF:-1 tvg-logo=\"http://i/n.png\" group-title=\"新闻\",央视新闻\r\n"
     "http://v/n\r\n"
     "#EXTINF:-1 group-title=\"C\",重用\r\n"
     "http://v/c2\r\n"
     "#EXTINF:-1 group-title=\"新闻/地方\",北京\r\n"
     "http://v/bj\r\n"
     "#EXTINF:-1,没有网址\r\n"
     "#EXTINF:-1,笑\xF0\x9F\x98\x80\r\n"
     "http://v/smile\r\n"
     "http://v/plain.mp4\r\n",
     {"E"},
     Answer::kOk,
     {{7, 5, "新闻"}, {8, 7, "地方"}},
     {{17, 7, "央视新闻", "http://v/n", "http://i/n.png"},
      {18, 3, "重用", "http://v/c2", ""},
      {19, 8, "北京", "http://v/bj", ""},
      {20, 5, "plain.mp4", "http://v/plain.mp4", ""}},
     {8, 9},
     {"E"}},
    {"csv with titles and a path column into the root",
     "list.csv",
     "name,url,image,path\n"
     "一,http://v/1,http://i/1,A/新\n"
     "二,,,A\n"
     "三,http://v/3,,\n",
     {},
     Answer::kOk,
     {{7, 1, "新"}},
     {{17, 7, "一", "http://v/1", "http://i/1"}, {18, -1, "三", "http://v/3", ""}},
     {3},
     {"A"}},
    {"cancel at the summary",
     "a.m3u",
     "#EXTINF:-1 group-title=\"X\",x\nhttp://v/x\n",
     {"A"},
     Answer::kCancelSummary,
     {},
     {},
     {},
     {}},
    {"cancel while writing",
     "a.m3u",
     "#EXTINF:-1 group-title=\"X\",x\nhttp://v/x\n",
     {"A"},
     Answer::kCancelWrite,
     {},
     {},
     {},
     {}},
};

template <class Row>
std::vector<Row> rowsFrom(const std::vector<Row>& rows, int firstId) {
  std::vector<Row> after;
  for (const Row& row : rows) {
    if (row.id >= firstId) after.push_back(row);
  }
  return after;
}

std::string describe(const std::vector<TypeRow>& rows) {
  std::string text;
  for (const TypeRow& row : rows) {
    text += std::to_string(row.id) + "," + std::to_string(row.parentId.value_or(-99)) + "," +
            row.name + ";";
  }
  return text;
}

std::string describe(const std::vector<ItemRow>& rows) {
  std::string text;
  for (const ItemRow& row : rows) {
    text += std::to_string(row.id) + "," + std::to_string(row.parentId) + "," + row.name + "," +
            row.url + "," + row.imageUrl + ";";
  }
  return text;
}

TEST(Import, AddsThePlaylistBelowTheSelectedCategoryOrNothing) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  (void)ref;
  for (const ImportCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.file("movies.vdb");
    MakePluginFile(path, SampleTypes(), SampleItems());
    const std::string playlist = dir.file(c.fileName);
    std::ofstream(std::filesystem::u8path(playlist), std::ios::binary) << c.playlist;

    EditorSession session(path);
    session.select(c.target);
    session.toolkit().fileDialogAnswers.push_back({IDOK, playlist});
    session.window().messageBoxAnswers.push_back(c.answer == Answer::kCancelSummary ? IDCANCEL
                                                                                    : IDOK);
    if (c.answer == Answer::kCancelWrite) {
      session.dlg().SetProgressDelay(std::chrono::milliseconds(0));
      session.toolkit().cancelProgressAtUpdate = 1;
    }
    session.command(ID_TYPE_IMPORT);

    const FileRows rows = ReadWithReference(path);
    EXPECT_EQ(describe(rowsFrom(rows.types, 7)), describe(c.newTypes));
    EXPECT_EQ(describe(rowsFrom(rows.items, 17)), describe(c.newItems));
    ExpectWindowShows(session, rows);
    ASSERT_EQ(session.window().messageBoxes.size(), 1u) << "the summary, and nothing else";
    const std::string& summary = session.window().messageBoxes[0].text;
    for (int line : c.refusedLines) {
      EXPECT_NE(summary.find(text::kLinePrefix + std::to_string(line) + text::kLineSuffix),
                std::string::npos)
          << summary;
    }
    std::size_t listed = 0;
    for (auto at = summary.find(text::kLinePrefix); at != std::string::npos;
         at = summary.find(text::kLinePrefix, at + 1)) {
      ++listed;
    }
    EXPECT_EQ(listed, c.refusedLines.size()) << summary;
    EXPECT_EQ(session.dlg().IsCommandEnabled(ID_EDIT_UNDO), c.answer == Answer::kOk);
    if (c.answer == Answer::kOk) {
      session.command(ID_EDIT_UNDO);
      EXPECT_EQ(session.tree().selectedItem(), session.item(c.selectedAfterUndo));
    }
  }
}

// A catalogue as plugin makers fill them: Chinese names, nesting, a name holding a comma and
// quotation marks, a category name holding '/', empty categories, videos under the root.
const std::vector<TypeRow> kCatalogueTypes = {{1, -1, "电影"}, {2, 1, "动作片"},  {3, 2, "港片"},
                                              {4, 1, "喜剧"},  {5, -1, "电视剧"}, {6, 5, "AC/DC"},
                                              {7, -1, "空的"}};
const std::vector<ItemRow> kCatalogueItems = {
    {10, 2, "警察故事", "http://v/1.m3u8", "http://i/1.jpg"},
    {11, 2, "A, B \"quoted\"", "http://v/2", ""},
    {12, 3, "英雄本色", "http://v/3", "http://i/3"},
    {13, 5, "还珠格格 第1集", "http://v/4", "http://i/4"},
    {14, 6, "Thunderstruck", "http://v/5", ""},
    {15, -1, "根目录视频", "http://v/6", ""},
    {16, 1, "电影里的", "http://v/7", ""},
    {17, 2, "第二个动作", "http://v/8", "http://i/8"}};

// The branch below parentId, depth first with siblings and videos in id order, one line each.
void describeBranch(const FileRows& rows, int parentId, int leaveOut, const std::string& path,
                    std::string& text) {
  for (const ItemRow& item : rows.items) {
    if (item.parentId == parentId) {
      text += path + ": " + item.name + " | " + item.url + " | " + item.imageUrl + "\n";
    }
  }
  for (const TypeRow& type : rows.types) {
    if (type.parentId == parentId && type.id != leaveOut) {
      text += path + "/" + type.name + "\n";
      describeBranch(rows, type.id, leaveOut, path + "/" + type.name, text);
    }
  }
}

TEST(Playlist, AnExportImportedIntoAnEmptyCategoryGivesBackTheSameTree) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  (void)ref;
  for (const char* format : {"全部.m3u8", "全部.csv"}) {
    SCOPED_TRACE(format);
    TempDir dir;
    const std::string path = dir.file("catalogue.vdb");
    MakePluginFile(path, kCatalogueTypes, kCatalogueItems);
    const std::string exported = dir.file(format);
    EditorSession session(path);
    session.select(std::vector<std::string>{});
    session.toolkit().fileDialogAnswers.push_back({IDOK, exported});
    session.window().messageBoxAnswers.push_back(IDOK);
    session.command(ID_TYPE_EXPORT);
    session.command(ID_TYPE_ADD);
    session.endEdit("导入");
    session.select({"导入"});
    session.toolkit().fileDialogAnswers.push_back({IDOK, exported});
    session.window().messageBoxAnswers.push_back(IDOK);
    session.command(ID_TYPE_IMPORT);

    const FileRows rows = ReadWithReference(path);
    const auto importedRow = std::find_if(rows.types.begin(), rows.types.end(),
                                          [](const TypeRow& row) { return row.name == "导入"; });
    ASSERT_NE(importedRow, rows.types.end());
    const int imported = importedRow->id;
    std::string original, roundTrip;
    describeBranch(rows, -1, imported, "", original);
    describeBranch(rows, imported, -1, "", roundTrip);
    EXPECT_EQ(roundTrip, original);
    EXPECT_EQ(std::count(original.begin(), original.end(), '\n'), 15) << "every row: " << original;
    ASSERT_EQ(session.window().messageBoxes.size(), 2u) << "the export's and the import's";
  }
}

TEST(Playlist, AnExportWritesTextsThatDoNotDecodeAsTheirBytesAndNamesThem) {
  TempDir dir;
  const std::string path = dir.file("catalogue.vdb");
  MakePluginFile(path, kCatalogueTypes, kCatalogueItems);
  RunOnFile(path,
            "update tb_item_list set ItemText='\x81\x30"
            "bad' where id=12");
  const std::string exported = dir.file("out.m3u8");
  EditorSession session(path);
  session.select({"电影"});
  session.toolkit().fileDialogAnswers.push_back({IDOK, exported});
  session.window().messageBoxAnswers.push_back(IDOK);
  session.command(ID_TYPE_EXPORT);

  std::ifstream file(std::filesystem::u8path(exported), std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(file), {}};
  EXPECT_NE(written.find(",\x81\x30"
                         "bad\n"),
            std::string::npos)
      << written;
  EXPECT_EQ(written.find("电视剧"), std::string::npos) << "only the selected branch";
  ASSERT_EQ(session.window().messageBoxes.size(), 1u);
  EXPECT_NE(session.window().messageBoxes[0].text.find("\xEF\xBF\xBD"
                                                       "0bad"),
            std::string::npos)
      << "named as shown";
}

}  // namespace
}  // namespace orvalen::test
