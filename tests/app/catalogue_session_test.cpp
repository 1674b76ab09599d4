// The find, the moves by drag and drop and the undo of the real program, on a desktop with a
// window manager, driven with the keyboard and mouse; what it wrote is read back with the
// reference SQLite 2.8 engine.

#include <fstream>
#include <string>
#include <vector>

#include "orvalen_session.h"

namespace orvalen::test {
namespace {

// The tree's lines in the GTK editor window.
constexpr TreeLines kTreeLines{90, 48, 21};

class CatalogueSession : public OrvalenSession {
 protected:
  std::unique_ptr<DesktopSession> start() override {
    SessionProgram program{{ORVALEN_BINARY}};
    program.windowManager = true;
    return std::make_unique<DesktopSession>(dir_.path(), program);
  }
};

TEST_F(CatalogueSession, FindDragAndUndoABranchDelete) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("catalogue.vdb");
  makeCatalogueForMoves(file);
  chooseExistingPlugin();
  answerFileDialog("打开", "catalogue.vdb");
  findDragAndUndoABranchDelete(waitForEditor(), file, kTreeLines);
}

// A playlist with Chinese names and groups imported into 纪录片 through the tree's menu, the
// real file dialog and summary: one group reused, one made; then the undo takes it all back.
TEST_F(CatalogueSession, ImportAPlaylistIntoACategoryAndUndoIt) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("catalogue.vdb");
  makeCatalogueForMoves(file);
  std::ofstream(dir_.file("频道.m3u8"), std::ios::binary)
      << "#EXTM3U\n#EXTINF:-1 tvg-logo=\"http://i/p.png\" group-title=\"自然\",熊猫的一天\n"
         "http://v/panda.mp4\n#EXTINF:-1 group-title=\"野生动物\",东北虎\nhttp://v/tiger.mp4\n";
  const std::vector<std::string> before = allRows(file);
  chooseExistingPlugin();
  answerFileDialog("打开", "catalogue.vdb");
  const std::string editor = waitForEditor();
  s().click(editor, kTreeLines.labelX, kTreeLines.line(2));  // 纪录片
  // 添加一个类型, 修改, 删除, 移动到..., 查找..., then 导入播放列表... (undo and redo are greyed).
  pickFromTreeMenu(editor, 6);
  answerFileDialog("打开", "频道.m3u8");
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

  s().click(editor, 150, 400);
  s().key("ctrl+z");
  EXPECT_TRUE(waitUntil([&] { return allRows(file) == before; })) << "the undo left rows";
  closeEditorAndExpectTheEnd(editor);
}

}  // namespace
}  // namespace orvalen::test
