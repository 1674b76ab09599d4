// Undo and redo of every kind of edit, moves included, on a real plugin file: an undo gives the
// file back byte for byte as it was (undecodable bytes and NULLs too), a redo as the edit left
// it, and the window shows what the file holds each time. The reference SQLite 2.8 reads it.

#include <gtest/gtest.h>

#include <functional>

#include "tests/editor/editor_fixture.h"
#include "tests/support/fault_injector.h"
#include "tests/support/reference_engine.h"

namespace orvalen::test {
namespace {

// Every row with every byte; NULL is told apart from the empty text.
std::vector<std::string> exactRows(const std::string& path) {
  std::vector<std::string> rows = referenceQuery(
      path, "select id, ifnull(parentid,'<null>'), ifnull(ItemText,'<null>') from tb_type_list");
  for (const std::string& row : referenceQuery(
           path,
           "select id, ifnull(parentid,'<null>'), ifnull(ItemText,'<null>'), "
           "ifnull(itemUrl,'<null>'), ifnull(itemImageUrl,'<null>') from tb_item_list")) {
    rows.push_back("video " + row);
  }
  return rows;
}

struct Edit {
  const char* name;
  std::function<void(EditorSession&)> make;
};

void answerDialog(EditorSession& s, const std::string& name) {
  s.toolkit().dialogAnswers.push_back({IDOK, {{IDC_EDIT_NAME, name}, {IDC_EDIT_URL, "u"}}});
}

const Edit kEdits[] = {
    {"add category",
     [](EditorSession& s) {
       s.select({"A"});
       s.command(ID_TYPE_ADD);
       s.endEdit("新");
     }},
    {"rename category",
     [](EditorSession& s) {
       s.select({"A", "B\xEF\xBF\xBD"});
       s.command(ID_TYPE_MODIFY);
       s.endEdit("乙");
     }},
    {"delete branch",
     [](EditorSession& s) {
       s.select({"A"});
       s.window().messageBoxAnswers.push_back(IDOK);
       s.command(ID_TYPE_DELETE);
     }},
    {"add video",
     [](EditorSession& s) {
       s.select({"E"});
       answerDialog(s, "新片");
       s.command(ID_ITEM_ADD);
     }},
    {"modify video",
     [](EditorSession& s) {
       s.select({"A"});
       s.list().userSelectRows({0});
       answerDialog(s, "改名");
       s.command(ID_ITEM_MODIFY);
     }},
    {"delete video",
     [](EditorSession& s) {
       s.select({"A"});
       s.list().userSelectRows({0});
       s.window().messageBoxAnswers.push_back(IDOK);
       s.command(ID_ITEM_DELETE);
     }},
    {"drag videos",
     [](EditorSession& s) {
       s.select({"A"});
       s.list().userSelectRows({0, 2});
       ASSERT_TRUE(s.window().userDrag(DragKind::kListRows, TreeItem(), s.item({"E", "C"})));
       s.pump();
     }},
    {"move videos by dialog",
     [](EditorSession& s) {
       s.select({"A"});
       s.list().userSelectRows({1});
       s.toolkit().categoryAnswers.push_back({IDOK, -1});
       s.command(ID_ITEM_MOVE);
     }},
    {"drag category",
     [](EditorSession& s) {
       ASSERT_TRUE(
           s.window().userDrag(DragKind::kTreeItem, s.item({"A", "B\xEF\xBF\xBD"}), s.item({"E"})));
       s.pump();
     }},
    {"move category by dialog",
     [](EditorSession& s) {
       s.select({"E", "C"});
       s.toolkit().categoryAnswers.push_back({IDOK, 1});
       s.command(ID_TYPE_MOVE);
     }},
};

class History : public ::testing::TestWithParam<Delivery> {
 protected:
  void SetUp() override { makeFile("movies.vdb"); }

  void makeFile(const std::string& name) {
    path_ = dir_.file(name);
    MakePluginFile(path_, SampleTypes(), SampleItems());
    // Bytes that do not decode in code page 936, and NULLs, which an undo must give back.
    RunOnFile(path_, "update tb_type_list set ItemText='B\x81' where id=2");
    RunOnFile(path_, "update tb_item_list set itemUrl=NULL where id=4");
    RunOnFile(path_, "update tb_item_list set ItemText='\xff\xfe' where id=13");
  }

  void expectShown(EditorSession& session) { ExpectWindowShows(session, ReadWithReference(path_)); }

  TempDir dir_;
  std::string path_;
};

TEST_P(History, UndoGivesBackEveryByteAndRedoTheEdit) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  (void)ref;
  for (const Edit& edit : kEdits) {
    SCOPED_TRACE(edit.name);
    makeFile(std::string(edit.name) + ".vdb");
    EditorSession session(path_, GetParam());
    const std::vector<std::string> before = exactRows(path_);
    edit.make(session);
    const std::vector<std::string> after = exactRows(path_);
    ASSERT_NE(before, after) << "the edit changed nothing";
    ASSERT_TRUE(session.dlg().IsCommandEnabled(ID_EDIT_UNDO));
    EXPECT_FALSE(session.dlg().IsCommandEnabled(ID_EDIT_REDO));
    for (int round = 0; round < 2; ++round) {
      session.command(ID_EDIT_UNDO);
      EXPECT_EQ(exactRows(path_), before);
      expectShown(session);
      EXPECT_FALSE(session.dlg().IsCommandEnabled(ID_EDIT_UNDO));
      session.command(ID_EDIT_REDO);
      EXPECT_EQ(exactRows(path_), after);
      expectShown(session);
    }
    EXPECT_TRUE(session.window().messageBoxes.size() <= 1u) << "only a delete's confirmation";
  }
}

TEST_P(History, UndoSelectsWhatTheStepTouched) {
  EditorSession session(path_, GetParam());
  session.select({"A"});
  session.list().userSelectRows({0, 1});
  ASSERT_TRUE(session.window().userDrag(DragKind::kListRows, TreeItem(), session.item({"E"})));
  session.pump();
  EXPECT_EQ(session.list().rowCount(), 1) << "the moved videos left the list";
  session.select({"E"});
  session.command(ID_EDIT_UNDO);
  EXPECT_EQ(session.tree().selectedItem(), session.item({"A"}));
  EXPECT_EQ(session.list().selectedCount(), 2);
  EXPECT_TRUE(session.list().isRowSelected(0) && session.list().isRowSelected(1));

  session.select({"A", "B\xEF\xBF\xBD"});
  session.window().messageBoxAnswers.push_back(IDOK);
  session.command(ID_TYPE_DELETE);
  session.select({"E"});
  session.command(ID_EDIT_UNDO);
  EXPECT_EQ(session.treeLabels(), "A(B\xEF\xBF\xBD(F)) E(C)");
  EXPECT_EQ(session.tree().selectedItem(), session.item({"A", "B\xEF\xBF\xBD"}));
  EXPECT_EQ(session.list().rowCount(), 1) << "B's video";
}

TEST_P(History, RowsChangedByAnotherProgramAreNotOverwritten) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  (void)ref;
  EditorSession session(path_, GetParam());
  session.select({"E"});
  session.window().messageBoxAnswers.push_back(IDOK);
  session.command(ID_TYPE_DELETE);
  RunOnFile(path_, "insert into tb_item_list (id, parentid, ItemText) values(15, 9, 'other')");
  const std::vector<std::string> changed = exactRows(path_);
  session.window().messageBoxAnswers.push_back(IDOK);
  session.command(ID_EDIT_UNDO);
  ASSERT_EQ(session.window().messageBoxes.size(), 2u);
  EXPECT_EQ(session.window().messageBoxes.back().caption, "错误");
  EXPECT_EQ(exactRows(path_), changed);
  EXPECT_EQ(session.treeLabels(), "A(B\xEF\xBF\xBD(F))");
  EXPECT_TRUE(session.dlg().IsCommandEnabled(ID_EDIT_UNDO)) << "the step stays";
}

TEST_P(History, AFailedUndoLeavesFileScreenAndHistory) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  (void)ref;
  EditorSession session(path_, GetParam());
  session.select({"A"});
  session.window().messageBoxAnswers.push_back(IDOK);
  session.command(ID_TYPE_DELETE);
  const std::vector<std::string> deleted = exactRows(path_);
  FaultInjector faults;
  {
    sqlite2::ScopedFaultHook hook(&faults);
    faults.failAt(1, sqlite2::InjectedFault::kDiskFull, FaultInjector::kPersistent,
                  {sqlite2::FileOperation::kWrite});
    session.window().messageBoxAnswers.push_back(IDOK);
    session.command(ID_EDIT_UNDO);
    EXPECT_TRUE(faults.fired());
  }
  ASSERT_EQ(session.window().messageBoxes.size(), 2u);
  EXPECT_NE(session.window().messageBoxes.back().text.find("磁盘"), std::string::npos);
  EXPECT_EQ(exactRows(path_), deleted);
  expectShown(session);
  session.command(ID_EDIT_UNDO);
  EXPECT_EQ(session.treeLabels(), "A(B\xEF\xBF\xBD(F)) E(C)");
  expectShown(session);
}

TEST_P(History, TheMenusNameTheStepAndANewEditDropsTheRedo) {
  EditorSession session(path_, GetParam());
  session.select({"E"});
  session.command(ID_TYPE_MODIFY);
  session.endEdit("电视 & 剧");
  const PopupMenu menu = [&] {
    session.window().popupAnswers.push_back(0);
    session.dlg().OnContextMenu(IDC_TREE_TYPES, {-1, -1});
    return session.window().popups.back().menu;
  }();
  std::string undo;
  for (const PopupMenu::Entry& entry : menu.entries) {
    if (entry.commandId == ID_EDIT_UNDO) undo = entry.text;
    if (entry.commandId == ID_EDIT_REDO) {
      EXPECT_FALSE(entry.enabled);
    }
  }
  EXPECT_NE(undo.find("“E”"), std::string::npos) << undo;
  session.command(ID_EDIT_UNDO);
  EXPECT_TRUE(session.dlg().IsCommandEnabled(ID_EDIT_REDO));
  session.command(ID_TYPE_MODIFY);
  session.endEdit("F2");
  EXPECT_FALSE(session.dlg().IsCommandEnabled(ID_EDIT_REDO));
}

INSTANTIATE_TEST_SUITE_P(Deliveries, History,
                         ::testing::Values(Delivery::kNested, Delivery::kQueued));

}  // namespace
}  // namespace orvalen::test
