// The editor as a user meets it, through the real program: categories written in any order of
// ids, right clicks that select, menus at the pointer, the keyboard alone, long names, texts the
// file cannot hold, and the program's icon on the chooser and the boxes over it. Every test ends
// with the file read by the reference SQLite 2.8 engine: sound, exactly the rows expected, no
// video or category left whose category is gone.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "orvalen_session.h"
#include "process_probe.h"
#include "tests/editor/small_filesystem.h"

namespace orvalen::test {
namespace {

// Where things stand in the editor window's client area (no window manager adds a frame).
// The tree shows its first line, the root item, 48 pixels down, a line every 21 pixels.
constexpr int kTreeX = 100;
constexpr int treeLineY(int line) {
  return 48 + 21 * line;
}
constexpr int kListX = 500;
constexpr int kListHeaderY = 49;
constexpr int kFirstRowY = 72;
constexpr char kIcon[] = "76 x 76";

class EditorUse : public OrvalenSession {
 protected:
  std::string openExisting(const std::string& name, const std::vector<std::string>& inserts) {
    file_ = dir_.file(name);
    makePluginFile(file_, inserts);
    chooseExistingPlugin();
    answerFileDialog("打开", name);
    return waitForEditor();
  }

  // Waits for the pop-up menu and expects its top left corner at the pointer.
  void expectMenuAtThePointer() {
    auto menu = s().waitForWindow("orvalen");
    ASSERT_TRUE(menu) << "no menu";
    const auto [x, y] = s().position(*menu);
    const auto [pointerX, pointerY] = s().pointer();
    EXPECT_NEAR(x, pointerX, 2);
    EXPECT_NEAR(y, pointerY, 2);
  }
  void chooseFromOpenMenu(int downs) {
    std::string keys;
    for (int i = 0; i < downs; ++i) keys += "Down ";
    s().key(keys + "Return");
    ASSERT_TRUE(s().waitForMenuGone());
  }
  void confirmDelete() {
    auto confirm = s().waitForWindow("删除提示");
    ASSERT_TRUE(confirm) << "no confirmation before the delete";
    s().moveTo(*confirm, 20, 20);
    s().key("Return");
    ASSERT_TRUE(s().waitForWindowGone("删除提示"));
  }
  // Types into the video details dialog's three edits, each emptied first, and confirms.
  void typeVideo(const std::string& name, const std::string& url, const std::string& image) {
    auto dialog = s().waitForWindow("视频信息");
    ASSERT_TRUE(dialog) << "the video details dialog did not show";
    s().moveTo(*dialog, 20, 20);
    s().key("Tab Tab ctrl+a");
    s().type(name);
    s().key("Tab ctrl+a");
    s().type(url);
    s().key("Tab ctrl+a");
    s().type(image);
    s().key("Return");
  }
  void waitForRows(const std::string& sql, const std::vector<std::string>& expected) {
    ASSERT_TRUE(waitUntil([&] { return rows(file_, sql) == expected; }))
        << sql << " gave " << rows(file_, sql).size() << " rows";
  }

  // The file is sound, holds exactly these rows, and every video and category names a
  // category that exists (or -1, or no number, as the file had them).
  void expectFile(const std::vector<std::string>& categories,
                  const std::vector<std::string>& videos) {
    EXPECT_EQ(referenceIntegrity(file_), "ok");
    EXPECT_EQ(rows(file_, "select * from tb_type_list order by id"), categories);
    EXPECT_EQ(rows(file_, "select * from tb_item_list order by id"), videos);
    EXPECT_EQ(rows(file_,
                   "select count(*) from tb_item_list where parentid <> -1 and parentid "
                   "not in (select id from tb_type_list)"),
              std::vector<std::string>{"0"})
        << "videos whose category is gone";
  }

  std::string file_;
};

// Children with lower ids than their parents, and parents that are NULL, text or the row
// itself. The user reaches a category three levels down, changes its video, and deletes the
// top of its branch with the Delete key: the branch goes whole.
TEST_F(EditorUse, CategoriesStandUnderTheirParentsAndABranchIsDeletedWhole) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string editor =
      openExisting("other.vdb", {"insert into tb_type_list values(1, 5, 'child of five')",
                                 "insert into tb_type_list values(2, -1, 'top')",
                                 "insert into tb_type_list values(5, 2, 'five')",
                                 "insert into tb_type_list values(6, 1, 'grandchild')",
                                 "insert into tb_type_list values(7, NULL, 'null parent')",
                                 "insert into tb_type_list values(8, 'abc', 'text parent')",
                                 "insert into tb_type_list values(9, 9, 'itself')",
                                 "insert into tb_type_list values(14, 5, 'second child')",
                                 "insert into tb_item_list values(1, 1, 'v1', 'u', 'i')",
                                 "insert into tb_item_list values(2, 6, 'v6', 'u', 'i')",
                                 "insert into tb_item_list values(3, 14, 'v14', 'u', 'i')",
                                 "insert into tb_item_list values(4, 5, 'v5', 'u', 'i')",
                                 "insert into tb_item_list values(5, 2, 'v2', 'u', 'i')",
                                 "insert into tb_item_list values(6, 7, 'v7', 'u', 'i')"});
  // top, then five under it, then child of five under five.
  s().moveTo(editor, kTreeX, 300);
  s().key("Home Down Right Down Right Down");
  s().click(editor, kListX, kFirstRowY, 1);
  s().click(editor, kListX, kFirstRowY, 1);  // a double click: the video's details
  typeVideo("v1 renamed", "u", "i");
  waitForRows("select ItemText from tb_item_list where id=1", {"v1 renamed"});

  s().click(editor, kTreeX, treeLineY(1));  // top
  s().key("Delete");
  confirmDelete();
  waitForRows("select id from tb_type_list order by id", {"7", "8", "9"});
  closeEditorAndExpectTheEnd(editor);
  expectFile({"7||null parent", "8|abc|text parent", "9|9|itself"}, {"6|7|v7|u|i"});
}

TEST_F(EditorUse, ARightClickSelectsWhatItIsOnAndTheMenuOpensAtThePointer) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string editor =
      openExisting("pick.vdb", {"insert into tb_type_list values(1, -1, 'A')",
                                "insert into tb_type_list values(2, -1, 'B')",
                                "insert into tb_item_list values(1, 1, 'a1', 'u', 'i')",
                                "insert into tb_item_list values(2, 1, 'a2', 'u', 'i')",
                                "insert into tb_item_list values(3, 2, 'b1', 'u', 'i')"});
  s().moveTo(editor, kTreeX, 300);
  s().key("Home Down");                        // A
  s().click(editor, kTreeX, treeLineY(2), 3);  // on B
  expectMenuAtThePointer();
  chooseFromOpenMenu(3);  // 删除
  confirmDelete();
  waitForRows("select id from tb_type_list", {"1"});

  // A is selected again; its second video is not, until the right click.
  s().click(editor, kListX, kSecondRowY, 3);
  expectMenuAtThePointer();
  chooseFromOpenMenu(3);  // 删除
  confirmDelete();
  waitForRows("select id from tb_item_list", {"1"});

  // The list's header belongs to the list: its menu, at the pointer.
  s().click(editor, kListX, kListHeaderY, 3);
  expectMenuAtThePointer();
  chooseFromOpenMenu(1);  // 添加
  typeVideo("a3", "u3", "i3");
  waitForRows("select id from tb_item_list", {"1", "2"});  // one past the largest id
  closeEditorAndExpectTheEnd(editor);
  expectFile({"1|-1|A"}, {"1|1|a1|u|i", "2|1|a3|u3|i3"});
}

// Nothing but the keyboard: the menu keys, F2, Insert, Delete, Tab between tree and list, and
// Esc, which ends a label edit or closes a menu before it closes the editor.
TEST_F(EditorUse, EverythingCanBeDoneFromTheKeyboard) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string editor =
      openExisting("keys.vdb", {"insert into tb_type_list values(1, -1, 'A')",
                                "insert into tb_type_list values(2, -1, 'B')",
                                "insert into tb_item_list values(1, 1, 'a1', 'u', 'i')"});
  s().moveTo(editor, kTreeX, 300);
  s().key("Home Down");  // A
  s().key("Menu");
  ASSERT_TRUE(s().waitForMenu()) << "the Menu key opened no menu";
  s().key("Escape");
  ASSERT_TRUE(s().waitForMenuGone());
  s().key("F2 ctrl+a");
  s().type("A2");
  s().key("Return");
  waitForRows("select ItemText from tb_type_list where id=1", {"A2"});
  s().key("F2 Escape");  // an edit cancelled, the editor stays
  s().key("Insert");
  s().type("C");
  s().key("Return");
  waitForRows("select * from tb_type_list where id=3", {"3|1|C"});
  ASSERT_TRUE(s().isWindowShown("Orvalen"));

  s().key("Up Tab Home");  // back to A2, then its first video
  s().key("F2");
  typeVideo("a1x", "u", "i");
  waitForRows("select ItemText from tb_item_list where id=1", {"a1x"});
  s().key("Delete");
  confirmDelete();
  waitForRows("select count(*) from tb_item_list", {"0"});
  s().key("Insert");
  typeVideo("n1", "nu", "ni");
  waitForRows("select count(*) from tb_item_list", {"1"});
  s().key("shift+F10");
  ASSERT_TRUE(s().waitForMenu()) << "Shift+F10 opened no menu";
  s().key("Escape");
  ASSERT_TRUE(s().waitForMenuGone());
  ASSERT_TRUE(s().isWindowShown("Orvalen"));
  closeEditorAndExpectTheEnd(editor);
  expectFile({"1|-1|A2", "2|-1|B", "3|1|C"}, {"1|1|n1|nu|ni"});
}

// A name wider than the tree: after the rename the tree scrolls sideways to show it; before,
// with short names only, there was nothing to scroll to.
TEST_F(EditorUse, ALongNameCanBeScrolledTo) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string editor =
      openExisting("long.vdb", {"insert into tb_type_list values(1, -1, 'A')"});
  const auto treeNow = [&] { return s().pixels(editor, 40, 60, 200, 60); };
  const auto scrollRight = [&] {
    s().moveTo(editor, kTreeX, 300);
    s().xdotool("click --repeat 20 --delay 20 7");
  };
  s().moveTo(editor, kTreeX, 300);
  s().key("Home Down");
  const std::string before = treeNow();
  scrollRight();
  EXPECT_EQ(treeNow(), before) << "short names: nothing to scroll";

  const std::string longName(80, 'W');
  s().key("F2 ctrl+a");
  s().type(longName);
  s().key("Return");
  waitForRows("select ItemText from tb_type_list", {longName});
  const std::string renamed = treeNow();
  scrollRight();
  EXPECT_NE(treeNow(), renamed) << "the tree did not scroll to the long name";

  s().key("Insert");
  s().type(longName + longName);
  s().key("Return");
  waitForRows("select count(*) from tb_type_list", {"2"});
  const std::string added = treeNow();
  scrollRight();
  EXPECT_NE(treeNow(), added) << "the tree did not scroll to the longer name";
  closeEditorAndExpectTheEnd(editor);
  expectFile({"1|-1|" + longName, "2|1|" + longName + longName}, {});
}

// Code page 936 has no emoji. The video dialog stays open on the name with the texts as typed;
// the label edit opens again on the name. Nothing is stored until the name is changed.
TEST_F(EditorUse, ATextTheFileCannotHoldIsCaughtWhereItWasTyped) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string editor =
      openExisting("smile.vdb", {"insert into tb_type_list values(1, -1, 'A')"});
  s().moveTo(editor, kTreeX, 300);
  s().key("Home Down");
  s().click(editor, kListX, 300, 3);
  ASSERT_TRUE(s().waitForMenu());
  chooseFromOpenMenu(1);  // 添加
  typeVideo("笑😀", "http://v/1", "http://i/1");
  auto box = s().waitForWindow("错误");
  ASSERT_TRUE(box) << "the text was not refused";
  EXPECT_EQ(s().iconSize(*box), kIcon);
  EXPECT_TRUE(s().isWindowShown("视频信息")) << "the dialog must stay open";
  EXPECT_EQ(rows(file_, "select count(*) from tb_item_list"), std::vector<std::string>{"0"});
  s().moveTo(*box, 20, 20);
  s().key("Return");
  ASSERT_TRUE(s().waitForWindowGone("错误"));
  auto dialog = s().waitForWindow("视频信息");
  ASSERT_TRUE(dialog);
  s().moveTo(*dialog, 20, 20);
  s().key("ctrl+a");  // the name edit has the focus
  s().type("笑脸");
  s().key("Return");
  ASSERT_TRUE(s().waitForWindowGone("视频信息"));
  waitForRows("select * from tb_item_list", {"1|1|" + gbk("笑脸") + "|http://v/1|http://i/1"});

  s().moveTo(editor, kTreeX, 300);
  s().key("F2 ctrl+a");
  s().type("A😀");
  s().key("Return");
  box = s().waitForWindow("错误");
  ASSERT_TRUE(box) << "the name was not refused";
  s().moveTo(*box, 20, 20);
  s().key("Return");
  ASSERT_TRUE(s().waitForWindowGone("错误"));
  s().moveTo(editor, kTreeX, 300);
  s().key("ctrl+a");  // the label edit is open again
  s().type("A3");
  s().key("Return");
  waitForRows("select ItemText from tb_type_list", {"A3"});
  ASSERT_TRUE(s().isWindowShown("Orvalen"));
  closeEditorAndExpectTheEnd(editor);
  expectFile({"1|-1|A3"}, {"1|1|" + gbk("笑脸") + "|http://v/1|http://i/1"});
}

// While another program holds the file, the list of B waits for it. What the user types
// meanwhile (Delete, Esc, Enter) is dropped when the wait ends: no delete is asked for, and
// the editor stays open.
TEST_F(EditorUse, KeysTypedWhileAnotherProgramHoldsTheFileAreDropped) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string editor =
      openExisting("held.vdb", {"insert into tb_type_list values(1, -1, 'A')",
                                "insert into tb_type_list values(2, -1, 'B')",
                                "insert into tb_item_list values(1, 2, 'b1', 'u', 'i')"});
  s().moveTo(editor, kTreeX, 300);
  s().key("Home Down");  // A
  {
    LockHolder holder(file_, ProbeLock::kWrite);
    ASSERT_TRUE(holder.holding());
    s().key("Down");  // B, whose videos cannot be read yet
    ASSERT_TRUE(waitUntil([&] { return s().programSleepsOnATimer(); }))
        << "the editor did not wait for the lock";
    s().key("Delete Escape Return");
  }
  ASSERT_TRUE(waitUntil([&] { return !s().programSleepsOnATimer(); }));
  EXPECT_FALSE(s().waitForWindow("删除提示", 2s)) << "a key typed during the wait was acted on";
  ASSERT_TRUE(s().isWindowShown("Orvalen")) << "a key typed during the wait closed the editor";
  // The wait is over: keys work again. The list shows B's video, which Delete now takes. On a
  // loaded machine the list may be filled a moment after the wait ends, so the row is picked
  // again until Delete asks.
  bool asked = false;
  for (int attempt = 0; attempt < 5 && !asked; ++attempt) {
    s().click(editor, kListX, kFirstRowY, 1);
    s().key("Delete");
    asked = static_cast<bool>(s().waitForWindow("删除提示", 3s));
  }
  confirmDelete();
  waitForRows("select count(*) from tb_item_list", {"0"});
  closeEditorAndExpectTheEnd(editor);
  expectFile({"1|-1|A", "2|-1|B"}, {});
}

// A plugin file on a small tmpfs that fills up: adding videos ends in an error box (what it
// says is checked in tests/editor/full_disk_test.cpp), the editor goes on, and once space is
// freed the next add is stored.
class EditorOnASmallDisk : public EditorUse {
 protected:
  // The program starts in the small disk's folder, where its file dialog opens.
  std::unique_ptr<DesktopSession> start() override {
    return std::make_unique<DesktopSession>(disk_.path());
  }
  SmallFilesystem disk_{64 * 1024};
};

TEST_F(EditorOnASmallDisk, AFullDiskIsReportedAndTheNextAddWorksOnceThereIsRoom) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  SmallFilesystem& disk = disk_;
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  file_ = disk.file("full.vdb");
  makePluginFile(file_, {"insert into tb_type_list values(1, -1, 'A')"});
  FillLeaving(disk.file("filler"), 3 * 1024, disk);
  chooseExistingPlugin();
  answerFileDialog("打开", "full.vdb");
  const std::string editor = waitForEditor();
  s().moveTo(editor, kTreeX, 300);
  s().key("Home Down");
  const auto videos = [&] { return rows(file_, "select count(*) from tb_item_list"); };
  bool full = false;
  for (int attempt = 0; attempt < 12 && !full; ++attempt) {
    const std::vector<std::string> before = videos();
    s().click(editor, kListX, 400, 3);
    ASSERT_TRUE(s().waitForMenu());
    chooseFromOpenMenu(1);  // 添加
    typeVideo("v" + std::to_string(attempt),
              "http://video.example/a/long/path/" + std::to_string(attempt), "i");
    ASSERT_TRUE(waitUntil([&] {
      full = s().isWindowShown("错误");
      return full || videos() != before;
    })) << "the add neither stored nor failed";
  }
  auto box = s().waitForWindow("错误");
  ASSERT_TRUE(box) << "the disk never filled up";
  s().moveTo(*box, 20, 20);
  s().key("Return");
  ASSERT_TRUE(s().waitForWindowGone("错误"));
  const std::vector<std::string> before = rows(file_, "select id from tb_item_list order by id");

  std::remove(disk.file("filler").c_str());
  s().click(editor, kListX, 400, 3);
  ASSERT_TRUE(s().waitForMenu());
  chooseFromOpenMenu(1);  // 添加
  typeVideo("after", "u", "i");
  waitForRows("select count(*) from tb_item_list", {std::to_string(before.size() + 1)});
  EXPECT_FALSE(s().isWindowShown("错误"));
  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(referenceIntegrity(file_), "ok");
  EXPECT_EQ(rows(file_, "select ItemText from tb_item_list order by id desc limit 1"),
            std::vector<std::string>{"after"});
}

TEST_F(EditorUse, TheChooserAndTheBoxesOverItCarryTheProgramsIcon) {
  EXPECT_EQ(s().iconSize(chooser_), kIcon);
  writeFile(dir_.file("notes.vdb"), "not a database\n");
  chooseExistingPlugin();
  auto dialog = s().waitForWindow("打开");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(s().iconSize(*dialog), kIcon);
  s().moveTo(*dialog, 20, 20);
  s().type("notes.vdb");
  const auto [width, height] = s().size(*dialog);
  for (int attempt = 0; attempt < 5 && s().isWindowShown("打开"); ++attempt) {
    s().click(*dialog, width - 50, height - 24);
    s().waitForWindowGone("打开", 2s);
  }
  auto box = s().waitForWindow("错误");
  ASSERT_TRUE(box);
  EXPECT_EQ(s().iconSize(*box), kIcon);
  acknowledgeError();
  endAtTheChooser();
}

}  // namespace
}  // namespace orvalen::test
