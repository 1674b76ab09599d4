// Playlists through the tree's menu, on a real plugin file read back by the reference SQLite
// 2.8: what an import adds where, which entries its summary names as not taken, and that a
// cancel at the summary or during the write leaves the file as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

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
     {8, 9}},
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
     {3}},
    {"cancel at the summary",
     "a.m3u",
     "#EXTINF:-1 group-title=\"X\",x\nhttp://v/x\n",
     {"A"},
     Answer::kCancelSummary,
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
  }
}

}  // namespace
}  // namespace orvalen::test
