// The editor window without edits: initialisation, layout, context menus, routing, the about
// box and the icon. A path without '/' stops initialisation before the file is touched, which
// gives a window with bound controls and no file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "editor/item_dlg.h"
#include "editor/orvalen_dlg.h"
#include "editor/resources.h"
#include "tests/editor/editor_fixture.h"

namespace orvalen::test {
namespace {

using Move = TestEditorWindow::Move;

std::vector<int> commandIds(const PopupMenu& menu) {
  std::vector<int> ids;
  for (const PopupMenu::Entry& entry : menu.entries) ids.push_back(entry.commandId);
  return ids;
}

std::vector<bool> enabledStates(const PopupMenu& menu) {
  std::vector<bool> states;
  for (const PopupMenu::Entry& entry : menu.entries) states.push_back(entry.enabled);
  return states;
}

class NoFileWindow : public ::testing::Test {
 protected:
  void SizeTo(int width, int height) {
    session_.dlg().dispatch(SizeMessage{SIZE_RESTORED, width, height});
  }
  void RightClick(Point screen) { session_.dlg().dispatch(ContextMenuMessage{0, screen}); }

  EditorSession session_{"plain.vdb"};
};

TEST_F(NoFileWindow, APathWithoutSeparatorStopsAfterTheIcons) {
  EXPECT_FALSE(session_.initResult());
  EXPECT_FALSE(session_.dlg().OpenFailed());
  EXPECT_EQ(session_.window().iconsSet,
            (std::vector<std::pair<int, bool>>{{IDR_MAINFRAME, true}, {IDR_MAINFRAME, false}}));
  EXPECT_EQ(session_.tree().itemCount(), 0u);
  EXPECT_EQ(session_.list().columnCount(), 0);
  EXPECT_FALSE(session_.window().endCode.has_value());
  EXPECT_FALSE(fileExists("plain.vdb"));
}

TEST_F(NoFileWindow, WithoutAFileAnAddedVideoIsReportedAndNotShown) {
  session_.toolkit().dialogAnswers.push_back({IDOK, {{IDC_EDIT_NAME, "v"}}});
  session_.window().messageBoxAnswers.push_back(IDOK);
  session_.command(ID_ITEM_ADD);
  ASSERT_EQ(session_.window().messageBoxes.size(), 1u);
  EXPECT_EQ(session_.window().messageBoxes[0].caption, "错误");
  EXPECT_EQ(session_.window().messageBoxes[0].style, MB_OK | MB_ICONERROR);
  EXPECT_THAT(session_.window().messageBoxes[0].text, ::testing::HasSubstr("Database not open"));
  EXPECT_EQ(session_.list().rowCount(), 0);
}

TEST_F(NoFileWindow, TreeCommandsStayDisabledWithoutItems) {
  // Unscripted edits, dialogs or message boxes would throw: the commands must not run.
  session_.command(ID_TYPE_ADD);
  session_.command(ID_TYPE_MODIFY);
  session_.command(ID_TYPE_DELETE);
  session_.command(ID_ITEM_MODIFY);
  session_.command(ID_ITEM_DELETE);
  session_.command(4242);
  EXPECT_EQ(session_.tree().itemCount(), 0u);
  EXPECT_TRUE(session_.toolkit().dialogs.empty());
  EXPECT_TRUE(session_.window().messageBoxes.empty());
}

TEST_F(NoFileWindow, LayoutAt600By400) {
  SizeTo(600, 400);
  EXPECT_THAT(session_.window().moves,
              ::testing::ElementsAre(Move{IDC_GROUP_TYPES, 15, 15, 273, 385},
                                     Move{IDC_TREE_TYPES, 25, 35, 250, 337},
                                     Move{IDC_GROUP_ITEMS, 305, 15, 295, 385},
                                     Move{IDC_LIST_ITEMS, 315, 35, 285, 337}));
}

TEST_F(NoFileWindow, LayoutAt0By0HandsOnNegativeSizes) {
  SizeTo(0, 0);
  EXPECT_THAT(session_.window().moves,
              ::testing::ElementsAre(Move{IDC_GROUP_TYPES, 15, 15, 273, -15},
                                     Move{IDC_TREE_TYPES, 25, 35, 250, -63},
                                     Move{IDC_GROUP_ITEMS, 305, 15, -305, -15},
                                     Move{IDC_LIST_ITEMS, 315, 35, -315, -63}));
  session_.window().moves.clear();
  SizeTo(600, 400);
  EXPECT_EQ(session_.window().moves.size(), 4u) << "restoring lays out again";
}

TEST(WindowLayout, MissingGroupBoxesAreSkipped) {
  TestWindowOptions options;
  options.withGroupBoxes = false;
  EditorSession session("plain.vdb", Delivery::kNested, options);
  session.dlg().dispatch(SizeMessage{SIZE_MAXIMIZED, 600, 400});
  EXPECT_THAT(session.window().moves,
              ::testing::ElementsAre(Move{IDC_TREE_TYPES, 25, 35, 250, 337},
                                     Move{IDC_LIST_ITEMS, 315, 35, 285, 337}));
}

TEST(WindowLayout, SizesBeforeInitialisationMoveNothing) {
  TestToolkit toolkit;
  TestEditorWindow window;
  COrvalenDlg dlg(toolkit, "/nowhere/x.vdb");
  dlg.dispatch(SizeMessage{SIZE_RESTORED, 600, 400});
  dlg.attachWindow(&window);
  dlg.dispatch(SizeMessage{SIZE_RESTORED, 600, 400});
  EXPECT_TRUE(window.moves.empty());
  dlg.attachWindow(nullptr);
}

// After the 600 x 400 layout, with the client area at screen 100, 50 and 2-pixel borders, the
// tree's client area covers screen x 127..372, y 87..419 and the list's x 417..697.
TEST_F(NoFileWindow, ContextMenuFollowsThePositionTreeFirst) {
  SizeTo(600, 400);
  TestEditorWindow& w = session_.window();
  for (Point inTree : {Point{127, 87}, Point{372, 419}}) {
    w.popupAnswers.push_back(0);
    RightClick(inTree);
    ASSERT_FALSE(w.popups.empty());
    EXPECT_EQ(w.popups.back().menu.entries.front().commandId, ID_TYPE_ADD);
    EXPECT_EQ(w.popups.back().screen.x, inTree.x);
  }
  for (Point inList : {Point{417, 87}, Point{697, 419}}) {
    w.popupAnswers.push_back(0);
    RightClick(inList);
    EXPECT_EQ(w.popups.back().menu.entries.front().commandId, ID_ITEM_ADD);
  }
  std::size_t shown = w.popups.size();
  // Borders, the right and bottom edges, the group boxes, the background, the keyboard.
  for (Point outside : {Point{126, 87}, Point{127, 86}, Point{373, 100}, Point{200, 420},
                        Point{698, 100}, Point{110, 60}, Point{400, 300}, Point{-1, -1}}) {
    RightClick(outside);
  }
  EXPECT_EQ(w.popups.size(), shown);
}

TEST_F(NoFileWindow, WhereTreeAndListOverlapTheTreeWins) {
  SizeTo(600, 400);
  session_.window().moveControl(IDC_LIST_ITEMS, 25, 35, 250, 337, true);
  session_.window().popupAnswers.push_back(0);
  RightClick({200, 200});
  EXPECT_EQ(session_.window().popups.back().menu.entries.front().commandId, ID_TYPE_ADD);
}

TEST_F(NoFileWindow, MenusGreyWhatTheRulesDisableAndEndWithAbout) {
  SizeTo(600, 400);
  TestEditorWindow& w = session_.window();
  w.popupAnswers = {0, 0};
  RightClick({200, 200});
  RightClick({500, 200});
  ASSERT_EQ(w.popups.size(), 2u);
  const int about = static_cast<int>(IDM_ABOUTBOX);
  // The entries added after the original ones: move, find, undo and redo.
  const std::vector<int> added{0, ID_FIND, 0, ID_EDIT_UNDO, ID_EDIT_REDO, 0, about};
  const std::vector<bool> addedStates{true, false, true, false, false, true, true};
  auto withAdded = [](std::vector<int> original, int move, const std::vector<int>& more) {
    original.push_back(0);
    original.push_back(move);
    original.insert(original.end(), more.begin() + 1, more.end());
    return original;
  };
  EXPECT_EQ(commandIds(w.popups[0].menu),
            withAdded({ID_TYPE_ADD, ID_TYPE_MODIFY, 0, ID_TYPE_DELETE}, ID_TYPE_MOVE, added));
  std::vector<bool> states{false, false, true, false, true, false};
  states.insert(states.end(), addedStates.begin() + 1, addedStates.end());
  EXPECT_EQ(enabledStates(w.popups[0].menu), states);
  EXPECT_EQ(w.popups[0].menu.entries.back().text, "关于 Orvalen(&A)...");
  EXPECT_EQ(commandIds(w.popups[1].menu),
            withAdded({ID_ITEM_ADD, ID_ITEM_MODIFY, 0, ID_ITEM_DELETE}, ID_ITEM_MOVE, added));
  states[0] = true;  // adding a video is always possible
  EXPECT_EQ(enabledStates(w.popups[1].menu), states);
}

TEST_F(NoFileWindow, TheAboutEntryOfAContextMenuOpensTheAboutBox) {
  SizeTo(600, 400);
  session_.window().popupAnswers.push_back(static_cast<int>(IDM_ABOUTBOX));
  session_.toolkit().dialogAnswers.push_back({IDOK, {}});
  RightClick({500, 200});
  ASSERT_EQ(session_.toolkit().dialogs.size(), 1u);
  EXPECT_EQ(session_.toolkit().dialogs[0].templateId, IDD_ABOUTBOX);
}

TEST_F(NoFileWindow, SystemCommandsOfTheAboutEntryAndF1OpenTheAboutBox) {
  for (unsigned code = 0x10; code <= 0x1F; ++code) {
    session_.toolkit().dialogAnswers.push_back({IDOK, {}});
    EXPECT_TRUE(session_.dlg().dispatch(SysCommandMessage{code, 0}).handled) << code;
  }
  EXPECT_EQ(session_.toolkit().dialogs.size(), 16u);
  for (unsigned code : {0x0u, 0x20u, 0xF060u, 0xF120u}) {
    EXPECT_FALSE(session_.dlg().dispatch(SysCommandMessage{code, 0}).handled) << code;
  }
  EXPECT_EQ(session_.toolkit().dialogs.size(), 16u);
  session_.toolkit().dialogAnswers.push_back({IDCANCEL, {}});
  session_.dlg().dispatch(HelpMessage{});
  EXPECT_EQ(session_.toolkit().dialogs.size(), 17u);
  EXPECT_EQ(session_.toolkit().dialogs.back().templateId, IDD_ABOUTBOX);
}

TEST(SystemMenu, GetsASeparatorAndTheAboutEntryWhenTheWindowHasOne) {
  TestWindowOptions options;
  options.withSystemMenu = true;
  EditorSession session("plain.vdb", Delivery::kNested, options);
  auto* menu = static_cast<TestSystemMenu*>(session.window().systemMenu());
  ASSERT_EQ(menu->entries.size(), 2u);
  EXPECT_EQ(menu->entries[0].commandId, 0u);
  EXPECT_EQ(menu->entries[1].commandId, IDM_ABOUTBOX);
  EXPECT_EQ(menu->entries[1].text, LoadString(IDS_ABOUTBOX));
}

TEST_F(NoFileWindow, TheMinimisedWindowDrawsItsIconCentred) {
  EXPECT_FALSE(session_.dlg().dispatch(PaintMessage{}).handled) << "default painting";
  TestEditorWindow& w = session_.window();
  w.iconic = true;
  w.clientSize = {884, 642};
  session_.dlg().dispatch(PaintMessage{});
  w.clientSize = {0, 0};
  session_.dlg().dispatch(PaintMessage{});
  ASSERT_EQ(w.iconsDrawn.size(), 2u);
  EXPECT_EQ(w.iconsDrawn[0].iconId, IDR_MAINFRAME);
  EXPECT_EQ(w.iconsDrawn[0].x, 426);
  EXPECT_EQ(w.iconsDrawn[0].y, 305);
  EXPECT_EQ(w.iconsDrawn[1].x, -15) << "truncated toward zero";
  EXPECT_EQ(session_.dlg().dispatch(QueryDragIconMessage{}).value, IDR_MAINFRAME);
}

TEST_F(NoFileWindow, NotificationsFromOtherControlsAreNotRouted) {
  // Routed, either would reach the closed file and show an (unscripted) error box.
  TreeSelChangedMessage selection{999, TreeItem(), TreeItem(7)};
  EXPECT_FALSE(session_.dlg().dispatch(selection).handled);
  TreeEndLabelEditMessage edit{999, TreeItem(7), std::string("x")};
  EXPECT_FALSE(session_.dlg().dispatch(edit).handled);
  EXPECT_TRUE(session_.window().messageBoxes.empty());
}

TEST(ItemDialog, ExchangesItsThreeTextsOnOkOnly) {
  TestToolkit toolkit;
  CodePage gbk("CP936");
  CItemDlg dialog(toolkit, gbk);
  dialog.m_strName = "名称";
  dialog.m_strUrl = " http://v/'1' ";
  toolkit.dialogAnswers.push_back({IDOK, {{IDC_EDIT_NAME, ""}, {IDC_EDIT_IMAGE_URL, "i.png"}}});
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(toolkit.dialogs[0].templateId, IDD_ITEM_DIALOG);
  EXPECT_EQ(
      toolkit.dialogs[0].editsAtOpen,
      (std::map<int, std::string>{
          {IDC_EDIT_NAME, "名称"}, {IDC_EDIT_URL, " http://v/'1' "}, {IDC_EDIT_IMAGE_URL, ""}}));
  EXPECT_EQ(dialog.m_strName, "");
  EXPECT_EQ(dialog.m_strUrl, " http://v/'1' ");
  EXPECT_EQ(dialog.m_strImageUrl, "i.png");

  toolkit.dialogAnswers.push_back({IDCANCEL, {{IDC_EDIT_NAME, "typed"}}});
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_strName, "");
}

}  // namespace
}  // namespace orvalen::test
