#include "orvalen_session.h"

#include <dirent.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>

namespace orvalen::test {

std::string gbk(const std::string& utf8) {
  iconv_t convert = ::iconv_open("GBK", "UTF-8");
  std::string in = utf8;
  std::string out(in.size() * 2 + 4, '\0');
  char* inPointer = in.data();
  char* outPointer = out.data();
  size_t inLeft = in.size();
  size_t outLeft = out.size();
  ::iconv(convert, &inPointer, &inLeft, &outPointer, &outLeft);
  ::iconv_close(convert);
  out.resize(out.size() - outLeft);
  return out;
}

std::vector<std::string> rows(const std::string& path, const std::string& sql) {
  try {
    return referenceQuery(path, sql);
  } catch (const std::exception&) {
    return {};
  }
}

void makePluginFile(const std::string& path, const std::vector<std::string>& inserts) {
  referenceQuery(path,
                 "create table tb_type_list (id integer primary key, parentid integer, "
                 "ItemText text)");
  referenceQuery(path,
                 "create table tb_item_list (id integer primary key, parentid integer, "
                 "ItemText text, itemUrl text, itemImageUrl text)");
  for (const auto& insert : inserts) referenceQuery(path, insert);
}

bool directoryIsEmpty(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  int entries = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") ++entries;
  }
  ::closedir(dir);
  return entries == 0;
}

void OrvalenSession::SetUp() {
  session_ = start();
  if (!session_->unavailable().empty()) GTEST_SKIP() << session_->unavailable();
  if (startsAtTheChooser_) waitForChooser();
}

void OrvalenSession::TearDown() {
  if (HasFailure() && session_) {
    session_->screenshot(::testing::TempDir() + "orvalen-session-failure.png");
  }
}

void OrvalenSession::addCategoryWithTheKeyboard(const std::string& editor, const std::string& file,
                                                const std::string& name) {
  s().moveTo(editor, 150, 300);
  s().key("Home Insert");
  typeLabel(name);
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select * from tb_type_list") ==
           std::vector<std::string>{"1|-1|" + gbk(name)};
  })) << "the category did not reach "
      << file;
}

void OrvalenSession::addRenamedCategoryWithTwoVideos(const std::string& editor,
                                                     const std::string& file) {
  s().moveTo(editor, 150, 300);
  s().key("Home");              // the root item, named after the file
  pickFromTreeMenu(editor, 1);  // 添加一个类型
  typeLabel("电影");
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select * from tb_type_list") ==
           std::vector<std::string>{"1|-1|" + gbk("电影")};
  })) << "the new category was not stored";

  pickFromListMenu(editor, 1);  // 添加
  enterVideo("功夫", "http://v.example/功夫.mp4", "http://i.example/1.png");
  pickFromListMenu(editor, 1);
  enterVideo("英雄", "http://v.example/英雄.mp4", "http://i.example/2.png");
  ASSERT_TRUE(waitUntil([&] { return rows(file, "select id from tb_item_list").size() == 2; }));

  pickFromTreeMenu(editor, 2);  // 修改 the selected category
  typeLabel("动作片");
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select ItemText from tb_type_list") ==
           std::vector<std::string>{gbk("动作片")};
  })) << "the rename was not stored";
}

void OrvalenSession::makeCatalogueForMoves(const std::string& file) {
  makePluginFile(file,
                 {"insert into tb_type_list values(1, -1, '" + gbk("电影") + "')",
                  "insert into tb_type_list values(2, 1, '" + gbk("动作片") + "')",
                  "insert into tb_type_list values(3, -1, '" + gbk("纪录片") + "')",
                  "insert into tb_type_list values(4, 3, '" + gbk("自然") + "')",
                  "insert into tb_item_list values(1, 1, '" + gbk("功夫") + "', 'u1', 'i1')",
                  "insert into tb_item_list values(2, 1, '" + gbk("英雄本色") + "', 'u2', 'i2')",
                  "insert into tb_item_list values(3, 2, '" + gbk("卧虎藏龙") + "', 'u3', 'i3')",
                  "insert into tb_item_list values(4, 4, '" + gbk("海洋") + "', 'u4', NULL)"});
}

std::vector<std::string> OrvalenSession::allRows(const std::string& file) {
  std::vector<std::string> all = rows(file, "select * from tb_type_list");
  for (const std::string& row : rows(file, "select * from tb_item_list")) all.push_back(row);
  return all;
}

void OrvalenSession::findDragAndUndoABranchDelete(const std::string& editor,
                                                  const std::string& file, const TreeLines& tree) {
  // Ctrl+F, a part of the name, Enter: 电影 shows its videos with 英雄本色 (row 2) selected.
  s().click(editor, 150, 400);
  s().key("ctrl+f");
  s().type("英雄");
  s().key("Return");
  s().key("Escape");
  // A drag that a busy desktop did not take as one (the pointer moved on before the program
  // saw the button go down) is tried again, as a user would.
  auto dragUntil = [&](int x, int y, int toX, int toY, const std::string& sql) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      s().drag(editor, x, y, toX, toY);
      if (waitUntil([&] { return rows(file, sql) == std::vector<std::string>{"3"}; }, 5s)) {
        return true;
      }
    }
    return false;
  };
  // The found row, dragged onto 纪录片 (the tree's second line under the root).
  ASSERT_TRUE(dragUntil(500, kSecondRowY, tree.labelX, tree.line(2),
                        "select parentid from tb_item_list where id=2"))
      << "the found video was not moved";
  // 电影 dragged onto 纪录片: it goes under it with its branch.
  ASSERT_TRUE(dragUntil(tree.labelX, tree.line(1), tree.labelX, tree.line(2),
                        "select parentid from tb_type_list where id=1"))
      << "the category was not moved";

  // 纪录片, now the first item under the root, deleted with its whole branch, then undone.
  const std::vector<std::string> beforeDelete = allRows(file);
  s().click(editor, 150, 400);  // the tree's empty part: the keys go to the tree
  s().key("Home Down Delete");
  auto confirm = s().waitForWindow("删除提示");
  ASSERT_TRUE(confirm) << "no confirmation before the delete";
  s().moveTo(*confirm, 20, 20);
  s().key("Return");
  ASSERT_TRUE(waitUntil([&] { return rows(file, "select id from tb_type_list").empty(); }));
  EXPECT_EQ(rows(file, "select id from tb_item_list"), std::vector<std::string>{});
  s().moveTo(editor, 150, 400);
  s().key("ctrl+z");
  ASSERT_TRUE(waitUntil([&] { return allRows(file) == beforeDelete; }))
      << "the undo did not give back the branch";

  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(referenceIntegrity(file), "ok");
  EXPECT_EQ(rows(file, "select * from tb_type_list"),
            (std::vector<std::string>{"1|3|" + gbk("电影"), "2|1|" + gbk("动作片"),
                                      "3|-1|" + gbk("纪录片"), "4|3|" + gbk("自然")}));
  EXPECT_EQ(rows(file, "select * from tb_item_list"),
            (std::vector<std::string>{
                "1|1|" + gbk("功夫") + "|u1|i1", "2|3|" + gbk("英雄本色") + "|u2|i2",
                "3|2|" + gbk("卧虎藏龙") + "|u3|i3", "4|4|" + gbk("海洋") + "|u4|"}));
}

void OrvalenSession::importPlaylistAndUndoIt(
    const std::string& editor, const std::string& file, const TreeLines& tree, int downsToImport,
    const std::function<void(const std::string&)>& answerOpen) {
  // The playlist's own name is plain: typing Chinese into a file dialog is the other
  // sessions' part, and the names inside are what the import reads.
  const std::string playlist =
      (std::filesystem::path(file).parent_path() / "channels.m3u8").u8string();
  std::ofstream(std::filesystem::u8path(playlist), std::ios::binary)
      << "#EXTM3U\n#EXTINF:-1 tvg-logo=\"http://i/p.png\" group-title=\"自然\",熊猫的一天\n"
         "http://v/panda.mp4\n#EXTINF:-1 group-title=\"野生动物\",东北虎\nhttp://v/tiger.mp4\n";
  const std::vector<std::string> before = allRows(file);
  s().click(editor, tree.labelX, tree.line(2));  // 纪录片
  // 添加一个类型, 修改, 删除, 移动到..., 查找..., 撤销, 重做 (both greyed), 导入播放列表...
  pickFromTreeMenu(editor, downsToImport);
  answerOpen(playlist);
  auto summary = s().waitForWindow("导入播放列表");
  ASSERT_TRUE(summary) << "no summary before the import";
  s().moveTo(*summary, 20, 20);
  s().key("Return");
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select * from tb_type_list where id > 4") ==
               std::vector<std::string>{"5|3|" + gbk("野生动物")} &&
           rows(file, "select * from tb_item_list where id > 4") ==
               std::vector<std::string>{
                   "5|4|" + gbk("熊猫的一天") + "|http://v/panda.mp4|http://i/p.png",
                   "6|5|" + gbk("东北虎") + "|http://v/tiger.mp4|"};
  })) << "the import did not reach the file";
  EXPECT_EQ(rows(file, "pragma integrity_check"), std::vector<std::string>{"ok"});

  s().click(editor, 150, 400);  // the tree's empty part: the keys go to the tree
  s().key("ctrl+z");
  EXPECT_TRUE(waitUntil([&] { return allRows(file) == before; })) << "the undo left rows";
  closeEditorAndExpectTheEnd(editor);
}

}  // namespace orvalen::test
