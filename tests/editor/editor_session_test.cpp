// Scripted editing sessions on a real plugin file. After each step the file must pass the
// reference SQLite 2.8's integrity check and hold exactly what the tree and the list show.

#include <gtest/gtest.h>

#include <cstdio>

#include "editor/orvalen_dlg.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/reference_engine.h"

namespace orvalen::test {
namespace {

const char* kUnencodable = "表情😀";

class EditorSessionTest : public ::testing::TestWithParam<Delivery> {
 protected:
  void SetUp() override {
    ORVALEN_REQUIRE_REFERENCE(ref);
    (void)ref;
    MakePluginFile(path_, SampleTypes(), SampleItems());
    session_ = std::make_unique<EditorSession>(path_, GetParam());
  }

  // The file agrees with the window; returns the file's rows for further checks.
  FileRows Agree() {
    FileRows rows = ReadWithReference(path_);
    ExpectWindowShows(*session_, rows);
    return rows;
  }

  TestEditorWindow& window() { return session_->window(); }
  TestToolkit& toolkit() { return session_->toolkit(); }
  TestTree& tree() { return session_->tree(); }
  TestList& list() { return session_->list(); }
  void answerDialog(int result, const std::string& name, const std::string& url,
                    const std::string& image) {
    toolkit().dialogAnswers.push_back(
        {result, {{IDC_EDIT_NAME, name}, {IDC_EDIT_URL, url}, {IDC_EDIT_IMAGE_URL, image}}});
  }
  std::size_t errorsShown() const {
    std::size_t count = 0;
    for (const MessageBoxShown& box : session_->window().messageBoxes) {
      if (box.caption == "错误") ++count;
    }
    return count;
  }

  TempDir dir_;
  std::string path_ = dir_.file("movies.vdb");
  std::unique_ptr<EditorSession> session_;
};

TEST_P(EditorSessionTest, SelectingACategoryShowsItsVideos) {
  session_->select({"A"});
  ASSERT_EQ(list().rowCount(), 3);
  EXPECT_EQ(list().rowData(0), 4);
  EXPECT_EQ(list().rowData(1), 9);
  EXPECT_EQ(list().rowData(2), 12);
  EXPECT_EQ(list().rowText(1, 1), "it's two");
  Agree();
  session_->select({"A", "B", "F"});
  Agree();
  session_->select(std::vector<std::string>{});
  EXPECT_EQ(list().rowCount(), 1) << "the root shows the videos stored under -1";
  Agree();
  session_->select({"E"});
  EXPECT_EQ(list().rowCount(), 0);
  Agree();
}

TEST_P(EditorSessionTest, AddingUnderACategoryStoresTheEditedName) {
  session_->select({"A"});
  session_->command(ID_TYPE_ADD);
  TreeItem added = tree().selectedItem();
  EXPECT_EQ(tree().editingItem(), added);
  EXPECT_EQ(tree().itemText(added), "新类型");
  EXPECT_EQ(tree().parentItem(added), session_->item({"A"}));
  EXPECT_TRUE(tree().isExpanded(session_->item({"A"})));
  EXPECT_EQ(list().rowCount(), 0);
  session_->endEdit("X's");
  EXPECT_EQ(tree().itemText(added), "X's");
  EXPECT_EQ(tree().itemData(added), 7);
  FileRows rows = Agree();
  ASSERT_EQ(rows.types.size(), 6u);
  EXPECT_EQ(rows.types.back().parentId, 1);
  EXPECT_EQ(rows.types.back().name, "X's");
}

TEST_P(EditorSessionTest, AddingUnderTheRootKeepsTheNameAcceptedUnchanged) {
  session_->select(std::vector<std::string>{});
  session_->command(ID_TYPE_ADD);
  session_->endEdit("新类型");
  FileRows rows = Agree();
  EXPECT_EQ(rows.types.back().parentId, -1);
  EXPECT_EQ(rows.types.back().name, "新类型");
  session_.reset();
  EditorSession reopened(path_);
  EXPECT_EQ(reopened.treeLabels(), "A(B(F)) E(C) 新类型");
}

TEST_P(EditorSessionTest, ACancelledAddStoresNothingAndRemovesTheItem) {
  session_->select({"A", "B"});
  session_->command(ID_TYPE_ADD);
  session_->cancelEdit();
  EXPECT_EQ(session_->treeLabels(), "A(B(F)) E(C)");
  // The selection leaves the removed item as from any deleted item: to its previous sibling.
  EXPECT_EQ(tree().selectedItem(), session_->item({"A", "B", "F"}));
  EXPECT_EQ(list().rowCount(), 1) << "F's video";
  EXPECT_EQ(Agree().types.size(), 5u);
}

TEST_P(EditorSessionTest, RenamesAreStoredAndCancelledOnesChangeNothing) {
  session_->select({"E"});
  session_->command(ID_TYPE_MODIFY);
  EXPECT_EQ(tree().editingItem(), session_->item({"E"}));
  session_->endEdit("电视剧");
  Agree();
  session_->command(ID_TYPE_MODIFY);
  session_->cancelEdit();
  EXPECT_EQ(tree().itemText(tree().selectedItem()), "电视剧");
  Agree();
  session_->command(ID_TYPE_MODIFY);
  session_->endEdit("");
  EXPECT_EQ(Agree().types[3].name, "");
}

TEST_P(EditorSessionTest, AnEditStartedDirectlyIsARenameEvenAfterAnAdd) {
  session_->select({"A"});
  session_->command(ID_TYPE_ADD);
  session_->endEdit("X");
  TreeItem added = tree().selectedItem();
  tree().userStartEdit(added);
  session_->endEdit("Y");
  tree().userStartEdit(session_->item({"E", "C"}));
  session_->endEdit("CC");
  FileRows rows = Agree();
  EXPECT_EQ(rows.types.size(), 6u) << "no second insert";
  EXPECT_EQ(tree().itemData(added), 7);
}

TEST_P(EditorSessionTest, RenamingTheRootChangesOnlyItsLabel) {
  TreeItem root = tree().rootItem();
  session_->select(root);
  session_->command(ID_TYPE_MODIFY);  // disabled for the root
  EXPECT_FALSE(tree().editingItem());
  tree().userStartEdit(root);
  session_->endEdit("Renamed");
  EXPECT_EQ(tree().itemText(root), "Renamed");
  FileRows rows = Agree();
  EXPECT_EQ(rows.types.size(), 5u);
  session_.reset();
  EditorSession reopened(path_);
  EXPECT_EQ(reopened.tree().itemText(reopened.tree().rootItem()), "movies");
}

TEST_P(EditorSessionTest, DeletingACategoryTakesItsBranchAndVideos) {
  session_->select({"A"});
  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_TYPE_DELETE);
  ASSERT_EQ(window().messageBoxes.size(), 1u);
  EXPECT_EQ(window().messageBoxes[0].text, "操作不可恢复，确定要删除？");
  EXPECT_EQ(window().messageBoxes[0].caption, "删除提示");
  EXPECT_EQ(window().messageBoxes[0].style, MB_OKCANCEL);
  EXPECT_EQ(session_->treeLabels(), "E(C)");
  EXPECT_EQ(tree().selectedItem(), session_->item({"E"}));
  EXPECT_EQ(toolkit().busyCursorsShown, 1);
  EXPECT_EQ(toolkit().busyDepth, 0);
  FileRows rows = Agree();
  ASSERT_EQ(rows.items.size(), 2u);
  EXPECT_EQ(rows.items[0].id, 15);
  EXPECT_EQ(rows.items[1].id, 16);

  // C stands under E although its id is lower: deleting E takes it and its video along.
  session_->select({"E", "C"});
  TreeItem c = tree().selectedItem();
  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_TYPE_DELETE);
  EXPECT_EQ(toolkit().busyCursorsShown, 1) << "one category needs no busy cursor";
  EXPECT_FALSE(tree().isAlive(c));
  session_->select({"E"});
  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_TYPE_DELETE);
  rows = Agree();
  EXPECT_TRUE(rows.types.empty());
  ASSERT_EQ(rows.items.size(), 1u);
  EXPECT_EQ(rows.items[0].id, 16) << "the root's video";
}

TEST_P(EditorSessionTest, DeleteCancelledOrOnTheRootChangesNothing) {
  session_->select({"A"});
  window().messageBoxAnswers.push_back(IDCANCEL);
  session_->command(ID_TYPE_DELETE);
  EXPECT_EQ(session_->treeLabels(), "A(B(F)) E(C)");
  session_->select(tree().rootItem());
  session_->command(ID_TYPE_DELETE);  // dropped: no (unscripted) confirmation
  EXPECT_EQ(window().messageBoxes.size(), 1u);
  FileRows rows = Agree();
  EXPECT_EQ(rows.types.size(), 5u);
  EXPECT_EQ(rows.items.size(), 7u);
}

TEST_P(EditorSessionTest, DeletingACategoryStillBeingAddedRunsNoStatement) {
  session_->select({"E"});
  session_->command(ID_TYPE_ADD);
  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_TYPE_DELETE);
  EXPECT_FALSE(tree().editingItem());
  EXPECT_EQ(session_->treeLabels(), "A(B(F)) E(C)");
  FileRows rows = Agree();
  EXPECT_EQ(rows.types.size(), 5u);
  EXPECT_EQ(rows.items.size(), 7u);
}

TEST_P(EditorSessionTest, VideosAreAddedModifiedAndDeletedWithContiguousNumbers) {
  session_->select({"A"});
  answerDialog(IDOK, "新视频", "http://v/'new'", "");
  session_->command(ID_ITEM_ADD);
  ASSERT_EQ(list().rowCount(), 4);
  EXPECT_EQ(list().rowText(3, 0), "4");
  EXPECT_EQ(list().rowData(3), 17);
  Agree();
  answerDialog(IDOK, "fifth", "u5", "i5");
  session_->command(ID_ITEM_ADD);
  EXPECT_TRUE(toolkit().dialogs[1].editsAtOpen[IDC_EDIT_NAME].empty());
  Agree();

  list().userSelectRows({1, 3});
  answerDialog(IDOK, "it's two, again", "http://v/2b", "i");
  session_->command(ID_ITEM_MODIFY);
  EXPECT_EQ(toolkit().dialogs[2].editsAtOpen[IDC_EDIT_NAME], "it's two");
  EXPECT_EQ(list().rowText(1, 1), "it's two, again");
  EXPECT_EQ(list().rowText(1, 0), "2");
  EXPECT_EQ(list().rowData(1), 9);
  Agree();

  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_ITEM_DELETE);  // the second of five
  ASSERT_EQ(list().rowCount(), 4);
  for (int row = 0; row < 4; ++row) EXPECT_EQ(list().rowText(row, 0), std::to_string(row + 1));
  EXPECT_EQ(list().rowData(1), 12);
  Agree();

  list().userSelectRows({3});
  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_ITEM_DELETE);  // the last
  EXPECT_EQ(list().rowCount(), 3);
  EXPECT_EQ(list().rowText(2, 0), "3");
  Agree();
}

TEST_P(EditorSessionTest, CancelledVideoCommandsChangeNothing) {
  session_->select({"A"});
  answerDialog(IDCANCEL, "x", "y", "z");
  session_->command(ID_ITEM_ADD);
  list().userSelectRows({0});
  answerDialog(IDCANCEL, "x", "y", "z");
  session_->command(ID_ITEM_MODIFY);
  window().messageBoxAnswers.push_back(IDCANCEL);
  session_->command(ID_ITEM_DELETE);
  EXPECT_EQ(list().rowCount(), 3);
  EXPECT_EQ(list().rowText(0, 1), "电影一");
  EXPECT_EQ(Agree().items.size(), 7u);
}

TEST_P(EditorSessionTest, VideoCommandsWithoutASelectedRowAreDropped) {
  session_->select({"A"});
  session_->command(ID_ITEM_MODIFY);  // unscripted dialogs and boxes would throw
  session_->command(ID_ITEM_DELETE);
  EXPECT_TRUE(toolkit().dialogs.empty());
  EXPECT_TRUE(window().messageBoxes.empty());
}

TEST_P(EditorSessionTest, AVideoAddedWithNothingSelectedGoesUnderTheRoot) {
  answerDialog(IDOK, "loose", "u", "i");
  session_->command(ID_ITEM_ADD);
  FileRows rows = ReadWithReference(path_);
  EXPECT_EQ(rows.items.back().parentId, -1);
  EXPECT_EQ(rows.items.back().name, "loose");
  session_->select(tree().rootItem());
  EXPECT_EQ(list().rowCount(), 2);
  Agree();
}

// A text the code page cannot hold is caught where it was typed: the label edit opens again on
// it, the video dialog stays open on it. Nothing is stored until the user changes it.
TEST_P(EditorSessionTest, TextsTheCodePageCannotHoldAreRefusedWhereTheyWereTyped) {
  session_->select({"A"});
  window().messageBoxAnswers = {IDOK, IDOK, IDOK, IDOK};
  session_->command(ID_TYPE_ADD);
  TreeItem added = tree().selectedItem();
  session_->endEdit(kUnencodable);
  EXPECT_EQ(errorsShown(), 1u);
  EXPECT_EQ(tree().editingItem(), added) << "the edit is open again";
  EXPECT_EQ(tree().editStartText(), kUnencodable);
  EXPECT_EQ(ReadWithReference(path_).types.size(), 5u) << "nothing stored yet";
  session_->endEdit("表情");
  EXPECT_EQ(tree().itemData(added), 7);
  EXPECT_EQ(Agree().types.back().name, "表情");

  session_->select({"E"});
  session_->command(ID_TYPE_MODIFY);
  session_->endEdit(kUnencodable);
  EXPECT_EQ(errorsShown(), 2u);
  EXPECT_EQ(tree().editingItem(), session_->item({"E"}));
  EXPECT_EQ(tree().itemText(session_->item({"E"})), "E");
  session_->cancelEdit();
  Agree();

  session_->select({"A"});
  answerDialog(IDOK, kUnencodable, "u", "i");
  answerDialog(IDCANCEL, "", "", "");
  session_->command(ID_ITEM_ADD);
  EXPECT_EQ(errorsShown(), 3u);
  ASSERT_EQ(toolkit().dialogs.back().refusals.size(), 1u);
  EXPECT_EQ(toolkit().dialogs.back().refusals[0].focusedControl, IDC_EDIT_NAME);
  EXPECT_EQ(list().rowCount(), 3);

  list().userSelectRows({0});
  answerDialog(IDOK, "ok", kUnencodable, "i");
  toolkit().dialogAnswers.push_back({IDOK, {{IDC_EDIT_URL, "http://v/ok"}}});
  session_->command(ID_ITEM_MODIFY);
  EXPECT_EQ(errorsShown(), 4u);
  EXPECT_EQ(toolkit().dialogs.back().refusals[0].focusedControl, IDC_EDIT_URL);
  EXPECT_EQ(list().rowText(0, 1), "ok");
  EXPECT_EQ(list().rowText(0, 2), "http://v/ok");
  FileRows rows = Agree();
  EXPECT_EQ(rows.types.size(), 6u);
  EXPECT_EQ(rows.items.size(), 7u);
}

TEST_P(EditorSessionTest, StatementsFailingOnADroppedTableAreReportedAndUndone) {
  session_->select({"A"});
  RunOnFile(path_, "drop table tb_item_list;");
  window().messageBoxAnswers = {IDOK, IDOK, IDOK, IDOK, IDOK, IDOK};

  answerDialog(IDOK, "v", "u", "i");
  session_->command(ID_ITEM_ADD);
  EXPECT_EQ(list().rowCount(), 3);
  list().userSelectRows({2});
  answerDialog(IDOK, "changed", "u", "i");
  session_->command(ID_ITEM_MODIFY);
  EXPECT_EQ(list().rowText(2, 1), "三");
  session_->command(ID_ITEM_DELETE);  // confirmed, then fails
  EXPECT_EQ(list().rowCount(), 3);
  session_->command(ID_TYPE_DELETE);  // confirmed, then fails on the videos
  EXPECT_EQ(session_->treeLabels(), "A(B(F)) E(C)");
  EXPECT_EQ(errorsShown(), 4u);
  EXPECT_EQ(referenceIntegrity(path_), "ok");
  EXPECT_EQ(referenceQuery(path_, "select count(*) from tb_type_list;"),
            std::vector<std::string>{"5"});
}

TEST_P(EditorSessionTest, ABranchDeleteThatFailsHalfwayLeavesEverything) {
  session_->select({"A"});
  RunOnFile(path_, "drop table tb_type_list;");
  window().messageBoxAnswers = {IDOK, IDOK};
  session_->command(ID_TYPE_DELETE);  // the videos of A go, then its row cannot
  EXPECT_EQ(errorsShown(), 1u);
  EXPECT_EQ(session_->treeLabels(), "A(B(F)) E(C)");
  EXPECT_EQ(list().rowCount(), 3);
  EXPECT_EQ(referenceIntegrity(path_), "ok");
  EXPECT_EQ(referenceQuery(path_, "select count(*) from tb_item_list;"),
            std::vector<std::string>{"7"});
}

TEST_P(EditorSessionTest, UneditedTextsKeepBytesThatDoNotDecode) {
  session_.reset();
  RunOnFile(path_, "insert into tb_item_list values(30, 5, 'ab\xff', 'http://v/x', 'http://i/x');");
  RunOnFile(path_, "update tb_type_list set ItemText='E\xff' where id=5;");
  session_ = std::make_unique<EditorSession>(path_, GetParam());
  session_->select({"E\xEF\xBF\xBD"});
  ASSERT_EQ(list().rowCount(), 1);
  EXPECT_EQ(list().rowText(0, 1), "ab\xEF\xBF\xBD");
  list().userSelectRows({0});
  answerDialog(IDOK, list().rowText(0, 1), "http://v/new", "http://i/x");
  session_->command(ID_ITEM_MODIFY);
  answerDialog(IDOK, list().rowText(0, 1), "http://v/new", "http://i/new");
  session_->command(ID_ITEM_MODIFY);
  EXPECT_EQ(referenceQuery(path_, "select ItemText, itemUrl from tb_item_list where id=30;"),
            std::vector<std::string>{"ab\xff|http://v/new"});

  session_->command(ID_TYPE_MODIFY);
  session_->endEdit(tree().itemText(tree().selectedItem()));  // confirmed unchanged
  EXPECT_EQ(referenceQuery(path_, "select ItemText from tb_type_list where id=5;"),
            std::vector<std::string>{"E\xff"});
  session_->command(ID_TYPE_MODIFY);
  session_->endEdit("E2");
  EXPECT_EQ(referenceQuery(path_, "select ItemText from tb_type_list where id=5;"),
            std::vector<std::string>{"E2"});
}

// Categories written by another program, with parents of higher ids, NULL, text, itself and
// a cycle for parents. Every row shows, and a delete takes exactly the branch shown, in one
// transaction: no category or video is left whose category is gone.
TEST_P(EditorSessionTest, ABranchOfAFileWrittenElsewhereIsDeletedWhole) {
  session_.reset();
  std::remove(path_.c_str());
  MakePluginFile(path_,
                 {{1, 5, "child of five"},
                  {2, -1, "top"},
                  {5, 2, "five"},
                  {6, 1, "grandchild"},
                  {7, std::nullopt, "null parent"},
                  {9, 9, "itself"},
                  {10, 11, "cycle a"},
                  {11, 10, "cycle b"},
                  {12, 10, "on the cycle"},
                  {13, 99, "missing parent"},
                  {14, 5, "second child"}},
                 {{1, 1, "v1", "u", "i"},
                  {2, 6, "v6", "u", "i"},
                  {3, 14, "v14", "u", "i"},
                  {4, 5, "v5", "u", "i"},
                  {5, 2, "v2", "u", "i"},
                  {6, 12, "v12", "u", "i"}});
  RunOnFile(path_, "insert into tb_type_list values(8, 'abc', 'text parent');");
  session_ = std::make_unique<EditorSession>(path_, GetParam());
  EXPECT_EQ(session_->treeLabels(),
            "top(five(child of five(grandchild) second child)) null parent text parent itself "
            "cycle a(on the cycle) cycle b missing parent");
  Agree();

  session_->select({"top"});
  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_TYPE_DELETE);
  EXPECT_EQ(toolkit().busyCursorsShown, 1);
  FileRows rows = Agree();
  std::vector<int> ids;
  for (const TypeRow& row : rows.types) ids.push_back(row.id);
  EXPECT_EQ(ids, (std::vector<int>{7, 8, 9, 10, 11, 12, 13}));
  ASSERT_EQ(rows.items.size(), 1u);
  EXPECT_EQ(rows.items[0].parentId, 12);

  session_->select({"cycle a"});
  window().messageBoxAnswers.push_back(IDOK);
  session_->command(ID_TYPE_DELETE);
  rows = Agree();
  EXPECT_TRUE(rows.items.empty());
  EXPECT_EQ(rows.types.size(), 5u);
  // cycle b's parent is gone now: it stands under the root, as it did.
  session_.reset();
  EditorSession reopened(path_);
  EXPECT_EQ(reopened.treeLabels(), "null parent text parent itself cycle b missing parent");
}

INSTANTIATE_TEST_SUITE_P(Deliveries, EditorSessionTest,
                         ::testing::Values(Delivery::kNested, Delivery::kQueued),
                         [](const ::testing::TestParamInfo<Delivery>& info) {
                           return info.param == Delivery::kNested ? "Nested" : "Queued";
                         });

}  // namespace
}  // namespace orvalen::test
