// The editor as a user meets it: right clicks that select what they are on, menus at the
// pointer, the keyboard, what the error boxes say, and waiting for another program's lock.
// Files are read back with our engine after each step.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "editor/orvalen_dlg.h"
#include "process_probe.h"
#include "tests/editor/editor_fixture.h"

namespace orvalen::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

Point centreOf(const Rect& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class EditorUserTest : public ::testing::TestWithParam<Delivery> {
 protected:
  void SetUp() override {
    MakePluginFile(path_, SampleTypes(), SampleItems());
    session_ = std::make_unique<EditorSession>(path_, GetParam());
  }

  TestEditorWindow& window() { return session_->window(); }
  TestToolkit& toolkit() { return session_->toolkit(); }
  TestTree& tree() { return session_->tree(); }
  TestList& list() { return session_->list(); }
  FileRows Agree() {
    FileRows rows = ReadWithEngine(path_);
    ExpectWindowShows(*session_, rows);
    return rows;
  }

  Point onItem(TreeItem item) {
    return window().clientToScreen(IDC_TREE_TYPES, centreOf(tree().itemRect(item)));
  }
  Point onRow(int row) {
    return window().clientToScreen(IDC_LIST_ITEMS, centreOf(list().rowRect(row)));
  }
  Point onListHeader() { return window().clientToScreen(IDC_LIST_ITEMS, {30, 5}); }
  void rightClick(Point screen, int answer) {
    window().popupAnswers.push_back(answer);
    session_->dlg().dispatch(ContextMenuMessage{0, screen});
    session_->pump();
  }
  void menuKey(int controlId, int answer) {
    window().popupAnswers.push_back(answer);
    session_->dlg().dispatch(ContextMenuMessage{controlId, {-1, -1}});
    session_->pump();
  }
  MessageResult key(int controlId, int code) {
    MessageResult result = session_->dlg().dispatch(KeyDownMessage{controlId, code});
    session_->pump();
    return result;
  }
  void answerDialog(int result, const std::string& name, const std::string& url,
                    const std::string& image) {
    toolkit().dialogAnswers.push_back(
        {result, {{IDC_EDIT_NAME, name}, {IDC_EDIT_URL, url}, {IDC_EDIT_IMAGE_URL, image}}});
  }
  const std::string& lastBoxText() { return window().messageBoxes.back().text; }

  TempDir dir_;
  std::string path_ = dir_.file("movies.vdb");
  std::unique_ptr<EditorSession> session_;
};

// Deleting from the menu of a category other than the selected one deletes that category.
TEST_P(EditorUserTest, ARightClickOnACategorySelectsItAndTheMenuActsOnIt) {
  session_->select({"A"});
  tree().expand(session_->item({"A"}));
  TreeItem b = session_->item({"A", "B"});
  window().messageBoxAnswers.push_back(IDOK);
  rightClick(onItem(b), ID_TYPE_DELETE);
  ASSERT_EQ(window().popups.size(), 1u);
  EXPECT_EQ(window().popups[0].treeSelection, b) << "selected before the menu opened";
  EXPECT_EQ(window().popups[0].listRows, 1) << "and the list showed B's video";
  EXPECT_EQ(window().popups[0].menu.entries.front().commandId, ID_TYPE_ADD);
  EXPECT_EQ(session_->treeLabels(), "A E(C)");
  FileRows rows = Agree();
  EXPECT_EQ(rows.types.size(), 3u) << "B and F went, A stayed";
  EXPECT_EQ(rows.items.size(), 5u);
}

TEST_P(EditorUserTest, ARightClickOnNoItemKeepsTheSelectionAndOpensTheMenuThere) {
  session_->select({"E"});
  const Rect last = tree().itemRect(session_->item({"E"}));
  const Point below = window().clientToScreen(IDC_TREE_TYPES, {last.left, last.bottom + 100});
  rightClick(below, 0);
  ASSERT_EQ(window().popups.size(), 1u);
  EXPECT_EQ(window().popups[0].screen.x, below.x);
  EXPECT_EQ(window().popups[0].screen.y, below.y);
  EXPECT_EQ(tree().selectedItem(), session_->item({"E"}));
  // On the selected item nothing changes either.
  window().popupAnswers.push_back(ID_TYPE_MODIFY);
  session_->dlg().dispatch(ContextMenuMessage{0, onItem(session_->item({"E"}))});
  EXPECT_EQ(tree().editingItem(), session_->item({"E"}));
  session_->cancelEdit();
}

TEST_P(EditorUserTest, ARightClickOnAnUnselectedRowSelectsItAlone) {
  session_->select({"A"});
  list().userSelectRows({0});
  answerDialog(IDCANCEL, "", "", "");
  rightClick(onRow(2), ID_ITEM_MODIFY);
  EXPECT_THAT(window().popups.back().listSelection, ElementsAre(2));
  EXPECT_EQ(window().popups.back().screen.y, onRow(2).y) << "at the pointer";
  EXPECT_EQ(toolkit().dialogs.back().editsAtOpen[IDC_EDIT_NAME], "三");

  list().userSelectRows({0, 2});
  rightClick(onRow(2), 0);
  EXPECT_THAT(window().popups.back().listSelection, ElementsAre(0, 2)) << "a selected row";
  const Rect last = list().rowRect(2);
  rightClick(window().clientToScreen(IDC_LIST_ITEMS, {last.left + 5, last.bottom + 40}), 0);
  EXPECT_THAT(window().popups.back().listSelection, ElementsAre(0, 2)) << "empty space";
}

TEST_P(EditorUserTest, ARightClickOnTheListsHeaderOpensTheListsMenu) {
  session_->select({"A"});
  list().userSelectRows({1});
  rightClick(onListHeader(), 0);
  ASSERT_EQ(window().popups.size(), 1u);
  EXPECT_EQ(window().popups[0].menu.entries.front().commandId, ID_ITEM_ADD);
  EXPECT_THAT(window().popups[0].listSelection, ElementsAre(1));
}

TEST_P(EditorUserTest, TheMenuKeyOpensTheFocusedControlsMenuAtItsSelectedItem) {
  session_->select({"E"});
  menuKey(IDC_TREE_TYPES, 0);
  ASSERT_EQ(window().popups.size(), 1u);
  const Rect e = tree().itemRect(session_->item({"E"}));
  const Point belowE = window().clientToScreen(IDC_TREE_TYPES, {e.left, e.bottom});
  EXPECT_EQ(window().popups[0].screen.x, belowE.x);
  EXPECT_EQ(window().popups[0].screen.y, belowE.y);
  EXPECT_EQ(window().popups[0].menu.entries.front().commandId, ID_TYPE_ADD);

  session_->select({"A"});
  list().userSelectRows({1});
  menuKey(IDC_LIST_ITEMS, 0);
  const Rect row = list().rowRect(1);
  EXPECT_EQ(window().popups[1].screen.y,
            window().clientToScreen(IDC_LIST_ITEMS, {0, row.bottom}).y);
  EXPECT_EQ(window().popups[1].menu.entries.front().commandId, ID_ITEM_ADD);

  list().userSelectRows({});
  menuKey(IDC_LIST_ITEMS, 0);
  const Point corner = window().clientToScreen(IDC_LIST_ITEMS, {0, 0});
  EXPECT_EQ(window().popups[2].screen.x, corner.x) << "no selection: the list's corner";
  EXPECT_EQ(window().popups[2].screen.y, corner.y);

  window().popupAnswers.clear();
  session_->dlg().dispatch(ContextMenuMessage{0, {-1, -1}});  // no control has the focus
  EXPECT_EQ(window().popups.size(), 3u);
}

TEST_P(EditorUserTest, F2DeleteAndInsertReachTheCommandsOfTheFocusedControl) {
  session_->select({"E"});
  EXPECT_TRUE(key(IDC_TREE_TYPES, VK_F2).handled);
  ASSERT_EQ(tree().editingItem(), session_->item({"E"}));
  session_->endEdit("电视剧");
  EXPECT_TRUE(key(IDC_TREE_TYPES, VK_INSERT).handled);
  ASSERT_TRUE(tree().editingItem());
  session_->endEdit("新的");
  Agree();

  session_->select({"A"});
  answerDialog(IDOK, "v", "u", "i");
  key(IDC_LIST_ITEMS, VK_INSERT);
  EXPECT_EQ(list().rowCount(), 4);
  list().userSelectRows({3});
  answerDialog(IDOK, "v2", "u", "i");
  key(IDC_LIST_ITEMS, VK_F2);
  EXPECT_EQ(list().rowText(3, 1), "v2");
  window().messageBoxAnswers.push_back(IDOK);
  key(IDC_LIST_ITEMS, VK_DELETE);
  EXPECT_EQ(list().rowCount(), 3);
  Agree();

  window().messageBoxAnswers.push_back(IDOK);
  key(IDC_TREE_TYPES, VK_DELETE);
  EXPECT_EQ(session_->treeLabels(), "电视剧(C 新的)");
  FileRows rows = Agree();
  EXPECT_EQ(rows.types.size(), 3u);
  EXPECT_EQ(window().messageBoxes.size(), 2u) << "each delete asked first";
}

TEST_P(EditorUserTest, KeysKeepTheEnablingRules) {
  session_->select(tree().rootItem());
  key(IDC_TREE_TYPES, VK_F2);      // the root cannot be renamed
  key(IDC_TREE_TYPES, VK_DELETE);  // nor deleted: no (unscripted) confirmation
  EXPECT_FALSE(tree().editingItem());
  session_->select({"A"});
  key(IDC_LIST_ITEMS, VK_F2);  // no row selected
  key(IDC_LIST_ITEMS, VK_DELETE);
  EXPECT_TRUE(toolkit().dialogs.empty());
  EXPECT_TRUE(window().messageBoxes.empty());
  EXPECT_FALSE(key(IDC_TREE_TYPES, 0x41).handled) << "other keys stay with the control";
  EXPECT_FALSE(key(0, VK_DELETE).handled);
}

TEST_P(EditorUserTest, ADoubleClickOnARowOpensItsDetails) {
  session_->select({"A"});
  answerDialog(IDOK, "一号", "http://v/one", "http://i/one");
  session_->dlg().dispatch(ListDoubleClickMessage{IDC_LIST_ITEMS, 0});
  session_->pump();
  ASSERT_EQ(toolkit().dialogs.size(), 1u);
  EXPECT_EQ(toolkit().dialogs[0].editsAtOpen[IDC_EDIT_NAME], "电影一");
  EXPECT_EQ(list().rowText(0, 1), "一号");
  session_->dlg().dispatch(ListDoubleClickMessage{IDC_LIST_ITEMS, -1});  // below the rows
  EXPECT_EQ(toolkit().dialogs.size(), 1u);
  Agree();
}

TEST_P(EditorUserTest, AFailedReadIsReportedAsReadingAndChangesNothing) {
  RunOnFile(path_, "drop table tb_item_list;");
  window().messageBoxAnswers.push_back(IDOK);
  session_->select({"A"});
  ASSERT_EQ(window().messageBoxes.size(), 1u);
  EXPECT_THAT(lastBoxText(), ::testing::StartsWith("没能从插件文件中读出内容"));
  EXPECT_THAT(lastBoxText(), HasSubstr("no such table: tb_item_list"));
  EXPECT_THAT(lastBoxText(), ::testing::Not(HasSubstr("代码页")));
  EXPECT_EQ(list().rowCount(), 0);
}

// The new category is in the file; only showing its videos failed. The box must not make the
// user add it again.
TEST_P(EditorUserTest, AnEditStoredButNotShownIsReportedAsStored) {
  session_->select({"A"});
  RunOnFile(path_, "drop table tb_item_list;");
  window().messageBoxAnswers = {IDOK, IDOK};
  session_->command(ID_TYPE_ADD);  // selecting the new item reads its (no) videos: fails
  ASSERT_EQ(window().messageBoxes.size(), 1u);
  session_->endEdit("X");
  ASSERT_EQ(window().messageBoxes.size(), 2u);
  EXPECT_THAT(lastBoxText(), ::testing::StartsWith("这项修改已经保存到插件文件中"));
  EXPECT_THAT(lastBoxText(), HasSubstr("请不要重复"));
  EXPECT_EQ(tree().itemData(tree().selectedItem()), 7);
  CppSQLiteDB db;
  db.open(path_.c_str());
  CppSQLiteTable types = db.queryTable("select id, ItemText from tb_type_list where id=7;");
  ASSERT_EQ(types.rowCount(), 1);
  EXPECT_STREQ(types.fieldText(1), "X");
}

TEST_P(EditorUserTest, AFailedStoreIsReportedAsNotSavedWithItsKind) {
  session_->select({"E"});
  RunOnFile(path_, "drop table tb_type_list;");
  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_TYPE_MODIFY);
  session_->endEdit("E2");
  ASSERT_EQ(window().messageBoxes.size(), 1u);
  EXPECT_THAT(lastBoxText(), ::testing::StartsWith("这项修改没有保存到插件文件中。"));
  EXPECT_EQ(tree().itemText(session_->item({"E"})), "E");
}

// Another program holds the file while the list is read: the busy cursor shows, the user
// presses Delete in the tree meanwhile, the lock goes. The key is dropped, not acted on later.
TEST_P(EditorUserTest, InputGivenWhileWaitingForALockIsDropped) {
  auto holder = std::make_unique<LockHolder>(path_, ProbeLock::kWrite);
  ASSERT_TRUE(holder->holding());
  toolkit().onBusyCursor = [&] {
    window().pendingInput.push_back([&] {
      session_->dlg().dispatch(KeyDownMessage{IDC_TREE_TYPES, VK_DELETE});
    });
    holder.reset();
  };
  session_->select({"A"});  // an unscripted delete confirmation would throw
  EXPECT_EQ(toolkit().busyCursorsShown, 1);
  EXPECT_EQ(toolkit().busyDepth, 0);
  EXPECT_EQ(toolkit().inputDiscards, 1);
  EXPECT_TRUE(window().messageBoxes.empty());
  EXPECT_EQ(list().rowCount(), 3);
  Agree();
}

INSTANTIATE_TEST_SUITE_P(Deliveries, EditorUserTest,
                         ::testing::Values(Delivery::kNested, Delivery::kQueued),
                         [](const ::testing::TestParamInfo<Delivery>& info) {
                           return info.param == Delivery::kNested ? "Nested" : "Queued";
                         });

}  // namespace
}  // namespace orvalen::test
