// The find, the moves by drag and drop and the undo of the real program, on a desktop with a
// window manager, driven with the keyboard and mouse; what it wrote is read back with the
// reference SQLite 2.8 engine.

#include <string>
#include <vector>

#include "orvalen_session.h"

namespace orvalen::test {
namespace {

// The tree's lines in the editor window: the root item's, then one line per item below.
constexpr int kTreeLabelX = 90;
constexpr int kTreeFirstLineY = 48;
constexpr int kTreeLineHeight = 21;
int treeLine(int line) {
  return kTreeFirstLineY + line * kTreeLineHeight;
}

class CatalogueSession : public OrvalenSession {
 protected:
  std::unique_ptr<DesktopSession> start() override {
    SessionProgram program{{ORVALEN_BINARY}};
    program.windowManager = true;
    return std::make_unique<DesktopSession>(dir_.path(), program);
  }

  // Every row of the file, all columns, as the reference engine reads them.
  std::vector<std::string> allRows(const std::string& file) {
    std::vector<std::string> all = rows(file, "select * from tb_type_list");
    for (const std::string& row : rows(file, "select * from tb_item_list")) all.push_back(row);
    return all;
  }
};

TEST_F(CatalogueSession, FindDragAndUndoABranchDelete) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("catalogue.vdb");
  makePluginFile(file,
                 {"insert into tb_type_list values(1, -1, '" + gbk("电影") + "')",
                  "insert into tb_type_list values(2, 1, '" + gbk("动作片") + "')",
                  "insert into tb_type_list values(3, -1, '" + gbk("纪录片") + "')",
                  "insert into tb_type_list values(4, 3, '" + gbk("自然") + "')",
                  "insert into tb_item_list values(1, 1, '" + gbk("功夫") + "', 'u1', 'i1')",
                  "insert into tb_item_list values(2, 1, '" + gbk("英雄本色") + "', 'u2', 'i2')",
                  "insert into tb_item_list values(3, 2, '" + gbk("卧虎藏龙") + "', 'u3', 'i3')",
                  "insert into tb_item_list values(4, 4, '" + gbk("海洋") + "', 'u4', NULL)"});
  chooseExistingPlugin();
  answerFileDialog("打开", "catalogue.vdb");
  const std::string editor = waitForEditor();

  // Ctrl+F, a part of the name, Enter: 电影 shows its videos with 英雄本色 (row 2) selected.
  s().click(editor, 150, 400);
  s().key("ctrl+f");
  s().type("英雄");
  s().key("Return");
  s().key("Escape");
  // The found row, dragged onto 纪录片 (the tree's second line under the root).
  s().drag(editor, 500, kSecondRowY, kTreeLabelX, treeLine(2));
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select parentid from tb_item_list where id=2") ==
           std::vector<std::string>{"3"};
  })) << "the found video was not moved";

  // 电影 dragged onto 纪录片: it goes under it with its branch.
  s().drag(editor, kTreeLabelX, treeLine(1), kTreeLabelX, treeLine(2));
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select parentid from tb_type_list where id=1") ==
           std::vector<std::string>{"3"};
  })) << "the category was not moved";

  // 纪录片, now the first item under the root, deleted with its whole branch, then undone.
  const std::vector<std::string> beforeDelete = allRows(file);
  s().moveTo(editor, 150, 400);
  s().key("Home Down Delete");
  auto confirm = s().waitForWindow("删除提示");
  ASSERT_TRUE(confirm) << "no confirmation before the delete";
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

}  // namespace
}  // namespace orvalen::test
