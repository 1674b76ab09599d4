#pragma once

// The contract of editor/toolkit.h as a typed GoogleTest suite that every toolkit
// implementation runs. An implementation provides a factory type
//
//   struct MyFactory {
//     static std::unique_ptr<orvalen::test::ToolkitHarness> create(
//         orvalen::MessageTarget& target);
//   };
//
// whose harness holds a toolkit, one editor window (shown, its messages going to target) and a
// UserDriver that acts as the user would, and instantiates the suite:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(My, ToolkitContract, ::testing::Types<MyFactory>);
//
// Messages may be delivered nested or queued (toolkit.h); the cases call user().pumpEvents()
// before they look at what arrived.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/toolkit.h"

namespace orvalen::test {

// Acts as the user. Modal answers are scripted before the call that opens the modal window.
class UserDriver {
 public:
  virtual ~UserDriver() = default;

  // Delivers everything that is pending, so queued messages have arrived.
  virtual void pumpEvents() = 0;

  virtual void selectTreeItem(TreeItem item) = 0;
  // Starts an in-place edit directly, as a click on the selected item's label does.
  virtual void startLabelEdit(TreeItem item) = 0;
  // Types text into the running label edit and confirms it, or cancels it (Esc).
  virtual void finishLabelEdit(const std::string& text) = 0;
  virtual void cancelLabelEdit() = 0;
  virtual bool isEditingLabel() const = 0;

  // The text the running label edit shows.
  virtual std::string labelEditText() const = 0;

  // Selects exactly these list rows.
  virtual void selectListRows(const std::vector<int>& rows) = 0;

  // Keys the editor window handles beyond Enter, Esc and F1 (kEnter, kShiftEnter and kEscape:
  // in the find box).
  enum class Key {
    kF2,
    kDelete,
    kInsert,
    kMenu,
    kShiftF10,
    kF3,
    kShiftF3,
    kCtrlF,
    kCtrlZ,
    kCtrlY,
    kCtrlShiftZ,
    kEnter,
    kShiftEnter,
    kEscape
  };
  // Gives controlId (the tree, the list, or the find box's IDC_FIND_TEXT) the keyboard focus
  // and presses key there.
  virtual void pressKey(int controlId, Key key) = 0;
  // The same while the program is not taking input (it waits for a lock): the key waits until
  // pumpEvents, unless the toolkit discards it first. False when this toolkit cannot queue
  // real input here (the case is then skipped).
  virtual bool pressKeyWhileBusy(int controlId, Key key) = 0;
  // A right click at a point of a control's client area (the list's header included).
  virtual void rightClick(int controlId, Point client) = 0;
  // A double click on a list row.
  virtual void doubleClickListRow(int row) = 0;
  // Types text into the find box's field (which shows), in place of what it held.
  virtual void typeInFindBox(const std::string& text) = 0;
  // Drags the list's selected rows (kListRows) or the tree item dragged (kTreeItem) over the
  // tree onto target and lets go there. True when the pointer showed the drop allowed.
  virtual bool dragTo(DragKind kind, TreeItem dragged, TreeItem target) = 0;
  // The next category dialog: OK with the entry of that id selected, or cancel.
  virtual void answerNextCategoryDialog(int result, int id) = 0;

  // The answer to the next pop-up menu: the command id to click, or 0 to close it.
  virtual void answerNextPopupMenu(int commandId) = 0;
  // The button to press in the next message box (IDOK or IDCANCEL).
  virtual void answerNextMessageBox(int answer) = 0;
  // The next modal dialog: the texts to leave in its edits, then OK (IDOK) or cancel.
  virtual void answerNextDialog(int result, const std::map<int, std::string>& typed) = 0;
  // The next file dialog: a path and OK, or cancel (IDCANCEL, path ignored).
  virtual void answerNextFileDialog(int result, const std::string& path) = 0;

  // What the user saw.
  struct MessageBoxSeen {
    std::string text;
    std::string caption;
  };
  virtual MessageBoxSeen lastMessageBox() const = 0;
  // The texts of the last dialog's edits as it opened.
  virtual std::map<int, std::string> lastDialogEditsAtOpen() const = 0;
  // The refusals the last dialog showed on confirms: the message, and the edit that then had
  // the keyboard focus.
  struct RefusalSeen {
    std::string message;
    int focusedControl = 0;
  };
  virtual std::vector<RefusalSeen> lastDialogRefusals() const = 0;
  struct ColumnSeen {
    std::string heading;
    int width = 0;
  };
  virtual ColumnSeen listColumn(int column) const = 0;
  virtual bool isBusyCursorShown() const = 0;
};

class ToolkitHarness {
 public:
  virtual ~ToolkitHarness() = default;
  virtual Toolkit& toolkit() = 0;
  virtual EditorWindow& window() = 0;
  virtual UserDriver& user() = 0;
};

// Records the messages that reach it; a hook can act on each one as it arrives.
class RecordingTarget : public MessageTarget {
 public:
  MessageResult dispatch(const WindowMessage& message) override {
    messages.push_back(message);
    if (hook) hook(message);
    return answer ? answer(message) : MessageResult{true, 0};
  }
  template <class T>
  std::vector<T> all() const {
    std::vector<T> found;
    for (const WindowMessage& message : messages) {
      if (const T* typed = std::get_if<T>(&message)) found.push_back(*typed);
    }
    return found;
  }
  std::vector<WindowMessage> messages;
  std::function<void(const WindowMessage&)> hook;
  std::function<MessageResult(const WindowMessage&)> answer;
};

template <class Factory>
class ToolkitContract : public ::testing::Test {
 protected:
  void SetUp() override { harness_ = Factory::create(target_); }

  TreeControl& tree() { return harness_->window().tree(); }
  ListControl& list() { return harness_->window().list(); }
  EditorWindow& window() { return harness_->window(); }
  Toolkit& toolkit() { return harness_->toolkit(); }
  UserDriver& user() { return harness_->user(); }

  // root > (A > (A1, A2), B)
  void buildTree() {
    root_ = tree().insertItem(TreeItem(), "root");
    a_ = tree().insertItem(root_, "A");
    a1_ = tree().insertItem(a_, "A1");
    a2_ = tree().insertItem(a_, "A2");
    b_ = tree().insertItem(root_, "B");
    tree().expand(root_);
    tree().expand(a_);
    clearMessages();
  }

  // Forgets what has arrived so far, queued messages included.
  void clearMessages() {
    user().pumpEvents();
    target_.messages.clear();
  }

  std::vector<TreeSelChangedMessage> selectionChanges() {
    user().pumpEvents();
    return target_.all<TreeSelChangedMessage>();
  }
  std::vector<TreeEndLabelEditMessage> editEnds() {
    user().pumpEvents();
    return target_.all<TreeEndLabelEditMessage>();
  }

  // Rows of two columns, as wide as the editor's first two.
  void fillRows(int count) {
    if (list().columnCount() == 0) {
      list().insertColumn("序号", 40, LVCFMT_CENTER);
      list().insertColumn("视频名称", 100, LVCFMT_CENTER);
    }
    for (int row = 0; row < count; ++row) {
      list().insertRow(row, std::to_string(row + 1));
      list().setRowData(row, 100 + row);
      list().setRowText(row, 1, "name" + std::to_string(row));
    }
  }

  RecordingTarget target_;
  std::unique_ptr<ToolkitHarness> harness_;
  TreeItem root_, a_, a1_, a2_, b_;
};

TYPED_TEST_SUITE_P(ToolkitContract);

TYPED_TEST_P(ToolkitContract, InsertedItemsAreLastChildrenWithDataZeroAndSendNothing) {
  this->buildTree();
  TreeControl& t = this->tree();
  EXPECT_EQ(t.rootItem(), this->root_);
  EXPECT_FALSE(t.parentItem(this->root_));
  EXPECT_EQ(t.firstChild(this->root_), this->a_);
  EXPECT_EQ(t.nextSibling(this->a_), this->b_);
  EXPECT_FALSE(t.nextSibling(this->b_));
  EXPECT_EQ(t.firstChild(this->a_), this->a1_);
  EXPECT_EQ(t.nextSibling(this->a1_), this->a2_);
  EXPECT_FALSE(t.firstChild(this->b_));
  EXPECT_EQ(t.parentItem(this->a2_), this->a_);
  EXPECT_EQ(t.itemData(this->a2_), 0);
  EXPECT_EQ(t.itemText(this->a1_), "A1");
  EXPECT_FALSE(t.selectedItem());
  TreeItem c = t.insertItem(this->root_, "C");
  EXPECT_EQ(t.nextSibling(this->b_), c);
  this->user().pumpEvents();
  EXPECT_TRUE(this->target_.messages.empty());
}

TYPED_TEST_P(ToolkitContract, ItemTextsAndDataRoundTrip) {
  this->buildTree();
  TreeControl& t = this->tree();
  t.setItemData(this->a_, -1);
  t.setItemData(this->b_, 2147483647);
  t.setItemText(this->a1_, "新类型");
  t.setItemText(this->a2_, "");
  EXPECT_EQ(t.itemData(this->a_), -1);
  EXPECT_EQ(t.itemData(this->b_), 2147483647);
  EXPECT_EQ(t.itemText(this->a1_), "新类型");
  EXPECT_EQ(t.itemText(this->a2_), "");
}

TYPED_TEST_P(ToolkitContract, ExpandShowsChildrenAndToggleFlips) {
  this->buildTree();
  TreeControl& t = this->tree();
  TreeItem b1 = t.insertItem(this->b_, "B1");
  (void)b1;
  EXPECT_FALSE(t.isExpanded(this->b_));
  t.expand(this->b_);
  EXPECT_TRUE(t.isExpanded(this->b_));
  t.toggle(this->b_);
  EXPECT_FALSE(t.isExpanded(this->b_));
  t.toggle(this->b_);
  EXPECT_TRUE(t.isExpanded(this->b_));
  EXPECT_TRUE(this->selectionChanges().empty());
}

TYPED_TEST_P(ToolkitContract, DeletingAnItemTakesItsSubtree) {
  this->buildTree();
  TreeControl& t = this->tree();
  this->user().selectTreeItem(this->b_);
  this->clearMessages();
  t.deleteItem(this->a_);
  EXPECT_EQ(t.firstChild(this->root_), this->b_);
  EXPECT_FALSE(t.nextSibling(this->b_));
  EXPECT_EQ(t.selectedItem(), this->b_);
  EXPECT_TRUE(this->selectionChanges().empty()) << "the selection was outside the subtree";
}

TYPED_TEST_P(ToolkitContract, DeletingTheSelectionMovesItAndReportsIt) {
  this->buildTree();
  TreeControl& t = this->tree();
  this->user().selectTreeItem(this->a1_);
  this->clearMessages();

  t.deleteItem(this->a1_);  // next sibling A2
  auto changes = this->selectionChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].newItem, this->a2_);
  EXPECT_EQ(changes[0].controlId, IDC_TREE_TYPES);
  EXPECT_EQ(t.selectedItem(), this->a2_);

  this->clearMessages();
  t.deleteItem(this->a2_);  // no sibling left: the parent
  changes = this->selectionChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].newItem, this->a_);

  this->user().selectTreeItem(this->b_);
  this->clearMessages();
  t.deleteItem(this->b_);  // last child: the previous sibling
  changes = this->selectionChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].newItem, this->a_);
  EXPECT_EQ(t.selectedItem(), this->a_);
}

TYPED_TEST_P(ToolkitContract, DeletingAnAncestorOfTheSelectionMovesIt) {
  this->buildTree();
  this->user().selectTreeItem(this->a2_);
  this->clearMessages();
  this->tree().deleteItem(this->a_);
  auto changes = this->selectionChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].newItem, this->b_);
  EXPECT_EQ(this->tree().selectedItem(), this->b_);
}

TYPED_TEST_P(ToolkitContract, EditLabelSelectsTheItemAndReportsItOnce) {
  this->buildTree();
  this->tree().editLabel(this->a1_);
  auto changes = this->selectionChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].newItem, this->a1_);
  EXPECT_FALSE(changes[0].oldItem);
  EXPECT_EQ(this->tree().selectedItem(), this->a1_);
  EXPECT_TRUE(this->user().isEditingLabel());
  EXPECT_TRUE(this->editEnds().empty()) << "the edit ends only when the user ends it";
}

TYPED_TEST_P(ToolkitContract, EditOfTheSelectedItemSendsNoSelectionChange) {
  this->buildTree();
  this->user().selectTreeItem(this->b_);
  this->clearMessages();
  this->tree().editLabel(this->b_);
  EXPECT_TRUE(this->selectionChanges().empty());
  this->user().finishLabelEdit("B2");
  auto ends = this->editEnds();
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].item, this->b_);
}

TYPED_TEST_P(ToolkitContract, ConfirmedEditDeliversTheTextWithoutApplyingIt) {
  this->buildTree();
  this->tree().editLabel(this->a_);
  this->user().finishLabelEdit("电影 X");
  auto ends = this->editEnds();
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].controlId, IDC_TREE_TYPES);
  EXPECT_EQ(ends[0].item, this->a_);
  ASSERT_TRUE(ends[0].text.has_value());
  EXPECT_EQ(*ends[0].text, "电影 X");
  EXPECT_EQ(this->tree().itemText(this->a_), "A");
  EXPECT_FALSE(this->user().isEditingLabel());
}

TYPED_TEST_P(ToolkitContract, EditConfirmedEmptyOrUnchangedCarriesThatText) {
  this->buildTree();
  this->tree().editLabel(this->a_);
  this->user().finishLabelEdit("");
  this->tree().editLabel(this->b_);
  this->user().finishLabelEdit("B");
  auto ends = this->editEnds();
  ASSERT_EQ(ends.size(), 2u);
  ASSERT_TRUE(ends[0].text.has_value());
  EXPECT_EQ(*ends[0].text, "");
  ASSERT_TRUE(ends[1].text.has_value());
  EXPECT_EQ(*ends[1].text, "B");
}

TYPED_TEST_P(ToolkitContract, CancelledEditDeliversNoText) {
  this->buildTree();
  this->tree().editLabel(this->a_);
  this->user().cancelLabelEdit();
  auto ends = this->editEnds();
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].item, this->a_);
  EXPECT_FALSE(ends[0].text.has_value());
  EXPECT_EQ(this->tree().itemText(this->a_), "A");
}

TYPED_TEST_P(ToolkitContract, TheReceiverSetsTheLabelWhileTheEditEnds) {
  this->buildTree();
  TreeControl& t = this->tree();
  this->target_.hook = [&t](const WindowMessage& message) {
    if (auto* end = std::get_if<TreeEndLabelEditMessage>(&message); end && end->text) {
      t.setItemText(end->item, *end->text + "!");
    }
  };
  t.editLabel(this->b_);
  this->user().finishLabelEdit("Bee");
  this->user().pumpEvents();
  EXPECT_EQ(t.itemText(this->b_), "Bee!");
}

TYPED_TEST_P(ToolkitContract, StartingAnEditCancelsTheRunningOne) {
  this->buildTree();
  this->tree().editLabel(this->a_);
  this->tree().editLabel(this->b_);
  auto ends = this->editEnds();
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].item, this->a_);
  EXPECT_FALSE(ends[0].text.has_value());
  EXPECT_EQ(this->tree().selectedItem(), this->b_);
  this->user().finishLabelEdit("Y");
  ends = this->editEnds();
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[1].item, this->b_);
  EXPECT_EQ(ends[1].text, std::optional<std::string>("Y"));
}

TYPED_TEST_P(ToolkitContract, DeletingTheEditedItemDropsTheEdit) {
  this->buildTree();
  this->tree().editLabel(this->a1_);
  this->tree().deleteItem(this->a_);
  EXPECT_TRUE(this->editEnds().empty());
  EXPECT_FALSE(this->user().isEditingLabel());
  EXPECT_EQ(this->tree().firstChild(this->root_), this->b_);
}

TYPED_TEST_P(ToolkitContract, TheUserCanStartAnEditDirectly) {
  this->buildTree();
  this->user().startLabelEdit(this->b_);
  EXPECT_TRUE(this->editEnds().empty());
  this->user().finishLabelEdit("Z");
  auto ends = this->editEnds();
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].item, this->b_);
  EXPECT_EQ(ends[0].text, std::optional<std::string>("Z"));
  EXPECT_EQ(this->tree().selectedItem(), this->b_);
}

TYPED_TEST_P(ToolkitContract, ListColumnsAndExtendedStyle) {
  ListControl& l = this->list();
  l.setExtendedStyle(0x21, 0x21);
  EXPECT_EQ(l.extendedStyle() & 0x21u, 0x21u);
  l.setExtendedStyle(LVS_EX_GRIDLINES, 0);
  EXPECT_EQ(l.extendedStyle() & 0x21u, LVS_EX_FULLROWSELECT);
  l.insertColumn("序号", 40, LVCFMT_CENTER);
  l.insertColumn("视频网址", 200, LVCFMT_LEFT);
  EXPECT_EQ(l.columnCount(), 2);
  EXPECT_EQ(this->user().listColumn(0).heading, "序号");
  EXPECT_EQ(this->user().listColumn(1).heading, "视频网址");
  EXPECT_EQ(this->user().listColumn(1).width, 200);
}

TYPED_TEST_P(ToolkitContract, RowsInsertAtTheirPositionAndClamp) {
  ListControl& l = this->list();
  EXPECT_EQ(l.insertRow(0, "b"), 0);
  EXPECT_EQ(l.insertRow(0, "a"), 0);
  EXPECT_EQ(l.insertRow(7, "c"), 2);
  ASSERT_EQ(l.rowCount(), 3);
  EXPECT_EQ(l.rowText(0, 0), "a");
  EXPECT_EQ(l.rowText(1, 0), "b");
  EXPECT_EQ(l.rowText(2, 0), "c");
  EXPECT_EQ(l.rowData(2), 0);
  EXPECT_EQ(l.rowText(2, 3), "");
  l.setRowText(1, 3, "http://例子/图.png");
  l.setRowData(1, -1);
  EXPECT_EQ(l.rowText(1, 3), "http://例子/图.png");
  EXPECT_EQ(l.rowData(1), -1);
  EXPECT_EQ(l.selectedCount(), 0);
  EXPECT_EQ(l.firstSelectedRow(), -1);
}

TYPED_TEST_P(ToolkitContract, DeletedRowsLetTheRowsBehindMoveUpWithTheirSelection) {
  this->fillRows(5);
  ListControl& l = this->list();
  this->user().selectListRows({1, 3});
  EXPECT_EQ(l.selectedCount(), 2);
  EXPECT_EQ(l.firstSelectedRow(), 1);
  l.deleteRow(1);
  ASSERT_EQ(l.rowCount(), 4);
  EXPECT_EQ(l.rowData(1), 102);
  EXPECT_EQ(l.rowText(2, 1), "name3");
  EXPECT_EQ(l.selectedCount(), 1);
  EXPECT_EQ(l.firstSelectedRow(), 2);
  l.deleteAllRows();
  EXPECT_EQ(l.rowCount(), 0);
  EXPECT_EQ(l.selectedCount(), 0);
  EXPECT_EQ(l.firstSelectedRow(), -1);
}

TYPED_TEST_P(ToolkitContract, AppendedRowsEqualRowsInsertedOneByOne) {
  this->fillRows(2);
  ListControl& l = this->list();
  std::vector<ListControl::Row> rows;
  for (int i = 0; i < 100000; ++i) {
    rows.push_back({std::to_string(i + 3), i, {"n" + std::to_string(i), "u", "i"}});
  }
  l.appendRows(std::move(rows));
  ASSERT_EQ(l.rowCount(), 100002);
  EXPECT_EQ(l.rowText(1, 1), "name1");
  EXPECT_EQ(l.rowText(2, 0), "3");
  EXPECT_EQ(l.rowData(2), 0);
  EXPECT_EQ(l.rowText(100001, 0), "100002");
  EXPECT_EQ(l.rowText(100001, 1), "n99999");
  EXPECT_EQ(l.rowText(100001, 3), "i");
  EXPECT_EQ(l.rowData(100001), 99999);
  EXPECT_EQ(l.selectedCount(), 0);
  l.deleteRow(0);
  EXPECT_EQ(l.rowText(0, 1), "name1");
  EXPECT_EQ(l.rowCount(), 100001);
}

TYPED_TEST_P(ToolkitContract, ListChangesSendNoMessages) {
  this->fillRows(3);
  this->user().selectListRows({2});
  this->list().deleteRow(0);
  this->user().pumpEvents();
  EXPECT_TRUE(this->target_.messages.empty());
}

TYPED_TEST_P(ToolkitContract, ControlsExistAndMove) {
  EditorWindow& w = this->window();
  EXPECT_TRUE(w.hasControl(IDC_TREE_TYPES));
  EXPECT_TRUE(w.hasControl(IDC_LIST_ITEMS));
  EXPECT_FALSE(w.hasControl(4242));
  w.moveControl(IDC_TREE_TYPES, 25, 35, 250, 337, true);
  Rect client = w.clientRect(IDC_TREE_TYPES);
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_LE(client.width(), 250);
  EXPECT_GT(client.width(), 240);
  EXPECT_LE(client.height(), 337);
  EXPECT_GT(client.height(), 327);
}

TYPED_TEST_P(ToolkitContract, ScreenToClientIsATranslationThatFollowsMoves) {
  EditorWindow& w = this->window();
  w.moveControl(IDC_LIST_ITEMS, 315, 35, 285, 337, true);
  Point p = w.screenToClient(IDC_LIST_ITEMS, {500, 400});
  Point q = w.screenToClient(IDC_LIST_ITEMS, {510, 405});
  EXPECT_EQ(q.x - p.x, 10);
  EXPECT_EQ(q.y - p.y, 5);
  w.moveControl(IDC_LIST_ITEMS, 345, 45, 285, 337, true);
  this->user().pumpEvents();
  Point moved = w.screenToClient(IDC_LIST_ITEMS, {500, 400});
  EXPECT_EQ(p.x - moved.x, 30);
  EXPECT_EQ(p.y - moved.y, 10);
  Point keyboard = w.screenToClient(IDC_LIST_ITEMS, {-1, -1});
  EXPECT_EQ(moved.x - keyboard.x, 501);
}

TYPED_TEST_P(ToolkitContract, ANegativeSizeCollapsesTheControl) {
  EditorWindow& w = this->window();
  w.moveControl(IDC_LIST_ITEMS, 315, 35, -315, -63, true);
  EXPECT_FALSE(PtInRect(w.clientRect(IDC_LIST_ITEMS), {0, 0}));
}

TYPED_TEST_P(ToolkitContract, PopupMenusReturnTheChoiceAndSendNothing) {
  PopupMenu menu;
  menu.entries = {{ID_ITEM_ADD, "添加", true},
                  {ID_ITEM_MODIFY, "修改", false},
                  {0, "", true},
                  {ID_ITEM_DELETE, "删除", true}};
  this->user().answerNextPopupMenu(ID_ITEM_DELETE);
  EXPECT_EQ(this->window().trackPopupMenu(menu, {300, 200}), ID_ITEM_DELETE);
  this->user().answerNextPopupMenu(0);
  EXPECT_EQ(this->window().trackPopupMenu(menu, {300, 200}), 0);
  this->user().answerNextPopupMenu(ID_ITEM_MODIFY);
  EXPECT_EQ(this->window().trackPopupMenu(menu, {300, 200}), 0) << "disabled entries";
  this->user().pumpEvents();
  EXPECT_TRUE(this->target_.messages.empty());
}

TYPED_TEST_P(ToolkitContract, MessageBoxesAnswerWithTheButtonPressed) {
  this->user().answerNextMessageBox(IDOK);
  EXPECT_EQ(this->window().messageBox("操作不可恢复，确定要删除？", "删除提示", MB_OKCANCEL), IDOK);
  EXPECT_EQ(this->user().lastMessageBox().text, "操作不可恢复，确定要删除？");
  EXPECT_EQ(this->user().lastMessageBox().caption, "删除提示");
  this->user().answerNextMessageBox(IDCANCEL);
  EXPECT_EQ(this->window().messageBox("q", "c", MB_OKCANCEL), IDCANCEL);
  this->user().answerNextMessageBox(IDOK);
  EXPECT_EQ(this->window().messageBox("failed", "错误", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(this->user().lastMessageBox().caption, "错误");
}

namespace contract_detail {
inline Point centreOf(const Rect& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}
}  // namespace contract_detail

TYPED_TEST_P(ToolkitContract, ItemAtFindsTheItemOnEachShownLine) {
  this->buildTree();
  TreeControl& t = this->tree();
  TreeItem b1 = t.insertItem(this->b_, "B1");  // B stays collapsed
  for (TreeItem item : {this->root_, this->a_, this->a1_, this->a2_, this->b_}) {
    Rect rect = t.itemRect(item);
    ASSERT_GT(rect.width(), 0) << t.itemText(item);
    EXPECT_EQ(t.itemAt(contract_detail::centreOf(rect)), item) << t.itemText(item);
    EXPECT_TRUE(
        PtInRect(this->window().clientRect(IDC_TREE_TYPES), contract_detail::centreOf(rect)));
  }
  EXPECT_EQ(t.itemRect(b1).width(), 0) << "under a collapsed item";
  EXPECT_LT(t.itemRect(this->a_).bottom, t.itemRect(this->b_).top + 1);
  const Rect last = t.itemRect(this->b_);
  EXPECT_FALSE(t.itemAt({last.left, last.bottom + 3 * last.height()})) << "below the last line";
  this->user().pumpEvents();
  EXPECT_TRUE(this->target_.messages.empty());
}

TYPED_TEST_P(ToolkitContract, SelectItemSelectsAndReportsAChangeOnce) {
  this->buildTree();
  this->tree().selectItem(this->a1_);
  auto changes = this->selectionChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].newItem, this->a1_);
  EXPECT_EQ(this->tree().selectedItem(), this->a1_);
  this->tree().selectItem(this->a1_);
  EXPECT_EQ(this->selectionChanges().size(), 1u) << "no change, no message";
}

TYPED_TEST_P(ToolkitContract, RowsLieBelowTheHeaderInTheListsClientArea) {
  this->fillRows(3);
  ListControl& l = this->list();
  EditorWindow& w = this->window();
  for (int row = 0; row < 3; ++row) {
    Rect rect = l.rowRect(row);
    ASSERT_GT(rect.height(), 0);
    EXPECT_EQ(l.rowAt(contract_detail::centreOf(rect)), row);
  }
  const Rect first = l.rowRect(0);
  const Point onHeader{first.left + 5, first.top - 5};
  EXPECT_GT(onHeader.y, 0) << "the header lies above the rows, inside the client area";
  EXPECT_TRUE(PtInRect(w.clientRect(IDC_LIST_ITEMS), onHeader));
  EXPECT_EQ(l.rowAt(onHeader), -1);
  const Rect last = l.rowRect(2);
  EXPECT_EQ(l.rowAt({last.left + 5, last.bottom + 2 * last.height()}), -1) << "below the rows";
}

TYPED_TEST_P(ToolkitContract, SelectOnlyRowLeavesThatRowAlone) {
  this->fillRows(4);
  ListControl& l = this->list();
  this->user().selectListRows({0, 2});
  EXPECT_TRUE(l.isRowSelected(2));
  EXPECT_FALSE(l.isRowSelected(1));
  l.selectOnlyRow(3);
  EXPECT_EQ(l.selectedCount(), 1);
  EXPECT_EQ(l.firstSelectedRow(), 3);
  EXPECT_TRUE(l.isRowSelected(3));
  EXPECT_FALSE(l.isRowSelected(0));
  this->user().pumpEvents();
  EXPECT_TRUE(this->target_.messages.empty());
}

TYPED_TEST_P(ToolkitContract, ClientToScreenUndoesScreenToClient) {
  EditorWindow& w = this->window();
  for (int id : {IDC_TREE_TYPES, IDC_LIST_ITEMS}) {
    Point screen = w.clientToScreen(id, {7, 11});
    Point back = w.screenToClient(id, screen);
    EXPECT_EQ(back.x, 7) << id;
    EXPECT_EQ(back.y, 11) << id;
  }
}

TYPED_TEST_P(ToolkitContract, AnEditRestartedOnARefusedTextShowsThatText) {
  this->buildTree();
  TreeControl& t = this->tree();
  this->target_.hook = [&t](const WindowMessage& message) {
    if (auto* end = std::get_if<TreeEndLabelEditMessage>(&message); end && end->text) {
      if (*end->text == "bad") t.editLabelWithText(end->item, "bad!");
    }
  };
  t.editLabel(this->a_);
  this->user().finishLabelEdit("bad");
  this->user().pumpEvents();
  ASSERT_TRUE(this->user().isEditingLabel());
  EXPECT_EQ(this->user().labelEditText(), "bad!");
  EXPECT_EQ(t.itemText(this->a_), "A");
  this->user().finishLabelEdit("good");
  auto ends = this->editEnds();
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[1].item, this->a_);
  EXPECT_EQ(ends[1].text, std::optional<std::string>("good"));
  EXPECT_FALSE(this->user().isEditingLabel());
}

TYPED_TEST_P(ToolkitContract, KeysReachTheWindowAsMessages) {
  this->buildTree();
  this->fillRows(2);
  this->user().selectTreeItem(this->a_);
  this->clearMessages();
  using Key = UserDriver::Key;
  this->user().pressKey(IDC_TREE_TYPES, Key::kF2);
  this->user().pressKey(IDC_LIST_ITEMS, Key::kDelete);
  this->user().pressKey(IDC_TREE_TYPES, Key::kInsert);
  this->user().pressKey(IDC_LIST_ITEMS, Key::kMenu);
  this->user().pressKey(IDC_TREE_TYPES, Key::kShiftF10);
  this->user().pumpEvents();
  auto keys = this->target_.template all<KeyDownMessage>();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].controlId, IDC_TREE_TYPES);
  EXPECT_EQ(keys[0].key, VK_F2);
  EXPECT_EQ(keys[1].controlId, IDC_LIST_ITEMS);
  EXPECT_EQ(keys[1].key, VK_DELETE);
  EXPECT_EQ(keys[2].key, VK_INSERT);
  auto menus = this->target_.template all<ContextMenuMessage>();
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(menus[0].controlId, IDC_LIST_ITEMS);
  EXPECT_EQ(menus[0].screen.x, -1);
  EXPECT_EQ(menus[0].screen.y, -1);
  EXPECT_EQ(menus[1].controlId, IDC_TREE_TYPES);
  EXPECT_EQ(this->tree().selectedItem(), this->a_) << "keys change no selection";
}

TYPED_TEST_P(ToolkitContract, InputGivenWhileBusyIsDroppedByDiscardPendingInput) {
  this->buildTree();
  this->user().selectTreeItem(this->a_);
  this->clearMessages();
  using Key = UserDriver::Key;
  if (!this->user().pressKeyWhileBusy(IDC_TREE_TYPES, Key::kF2)) {
    GTEST_SKIP() << "this toolkit cannot queue real input here";
  }
  this->toolkit().discardPendingInput();
  this->user().pumpEvents();
  EXPECT_TRUE(this->target_.template all<KeyDownMessage>().empty());
  // Without the discard the same key arrives: the input was real.
  ASSERT_TRUE(this->user().pressKeyWhileBusy(IDC_TREE_TYPES, Key::kF2));
  this->user().pumpEvents();
  EXPECT_EQ(this->target_.template all<KeyDownMessage>().size(), 1u);
}

TYPED_TEST_P(ToolkitContract, ARightClickAsksForTheMenuAndSelectsNothing) {
  this->buildTree();
  this->fillRows(3);
  this->user().selectTreeItem(this->b_);
  this->user().selectListRows({0});
  this->clearMessages();
  EditorWindow& w = this->window();
  const Point onA1 = contract_detail::centreOf(this->tree().itemRect(this->a1_));
  const Point onRow2 = contract_detail::centreOf(this->list().rowRect(2));
  const Point onHeader{onRow2.x, this->list().rowRect(0).top - 5};
  this->user().rightClick(IDC_TREE_TYPES, onA1);
  this->user().rightClick(IDC_LIST_ITEMS, onRow2);
  this->user().rightClick(IDC_LIST_ITEMS, onHeader);
  this->user().pumpEvents();
  auto menus = this->target_.template all<ContextMenuMessage>();
  ASSERT_EQ(menus.size(), 3u);
  const Point expected[] = {w.clientToScreen(IDC_TREE_TYPES, onA1),
                            w.clientToScreen(IDC_LIST_ITEMS, onRow2),
                            w.clientToScreen(IDC_LIST_ITEMS, onHeader)};
  const int controls[] = {IDC_TREE_TYPES, IDC_LIST_ITEMS, IDC_LIST_ITEMS};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(menus[i].controlId, controls[i]) << i;
    EXPECT_EQ(menus[i].screen.x, expected[i].x) << i;
    EXPECT_EQ(menus[i].screen.y, expected[i].y) << i;
  }
  EXPECT_EQ(this->tree().selectedItem(), this->b_);
  EXPECT_EQ(this->list().selectedCount(), 1);
  EXPECT_TRUE(this->list().isRowSelected(0));
  EXPECT_TRUE(this->selectionChanges().empty());
}

TYPED_TEST_P(ToolkitContract, ADoubleClickOnARowSelectsItAndSaysWhichRow) {
  this->fillRows(3);
  this->user().selectListRows({0});
  this->clearMessages();
  this->user().doubleClickListRow(2);
  this->user().pumpEvents();
  auto clicks = this->target_.template all<ListDoubleClickMessage>();
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].controlId, IDC_LIST_ITEMS);
  EXPECT_EQ(clicks[0].row, 2);
  EXPECT_EQ(this->list().firstSelectedRow(), 2);
  EXPECT_EQ(this->list().selectedCount(), 1);
}

namespace contract_detail {
struct ThreeTexts : DialogClient {
  void DoDataExchange(DataExchange& exchange) override {
    exchanges.push_back(exchange.isSaving());
    exchange.text(IDC_EDIT_NAME, name);
    exchange.text(IDC_EDIT_URL, url);
    exchange.text(IDC_EDIT_IMAGE_URL, image);
  }
  std::string name, url, image;
  std::vector<bool> exchanges;
};
}  // namespace contract_detail

TYPED_TEST_P(ToolkitContract, ADialogShowsItsMembersAndTakesTheEditsBackOnOk) {
  contract_detail::ThreeTexts texts;
  texts.name = "名称";
  texts.url = " http://a/'b' ";
  this->user().answerNextDialog(IDOK, {{IDC_EDIT_NAME, "新名称"}, {IDC_EDIT_IMAGE_URL, "i.png"}});
  EXPECT_EQ(this->toolkit().runModalDialog(IDD_ITEM_DIALOG, texts), IDOK);
  auto shown = this->user().lastDialogEditsAtOpen();
  EXPECT_EQ(shown[IDC_EDIT_NAME], "名称");
  EXPECT_EQ(shown[IDC_EDIT_URL], " http://a/'b' ");
  EXPECT_EQ(shown[IDC_EDIT_IMAGE_URL], "");
  EXPECT_EQ(texts.exchanges, (std::vector<bool>{false, true}));
  EXPECT_EQ(texts.name, "新名称");
  EXPECT_EQ(texts.url, " http://a/'b' ");
  EXPECT_EQ(texts.image, "i.png");
}

TYPED_TEST_P(ToolkitContract, ACancelledDialogTakesNothingBack) {
  contract_detail::ThreeTexts texts;
  texts.name = "keep";
  this->user().answerNextDialog(IDCANCEL, {{IDC_EDIT_NAME, "typed"}});
  EXPECT_EQ(this->toolkit().runModalDialog(IDD_ITEM_DIALOG, texts), IDCANCEL);
  EXPECT_EQ(texts.name, "keep");
  EXPECT_EQ(texts.exchanges, (std::vector<bool>{false}));
}

namespace contract_detail {
// Refuses a name "bad" when the dialog is confirmed.
struct PickyTexts : ThreeTexts {
  void DoDataExchange(DataExchange& exchange) override {
    ThreeTexts::DoDataExchange(exchange);
    if (exchange.isSaving() && name == "bad") exchange.fail(IDC_EDIT_NAME, "名称“bad”不行");
  }
};
}  // namespace contract_detail

TYPED_TEST_P(ToolkitContract, ARefusedConfirmKeepsTheDialogOpenOnTheRefusedEdit) {
  contract_detail::PickyTexts texts;
  this->user().answerNextMessageBox(IDOK);
  this->user().answerNextDialog(IDOK, {{IDC_EDIT_NAME, "bad"}, {IDC_EDIT_URL, "u"}});
  this->user().answerNextDialog(IDOK, {{IDC_EDIT_NAME, "good"}});
  EXPECT_EQ(this->toolkit().runModalDialog(IDD_ITEM_DIALOG, texts), IDOK);
  EXPECT_EQ(texts.exchanges, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(texts.name, "good");
  EXPECT_EQ(texts.url, "u") << "what was typed before the refusal stays";
  auto refusals = this->user().lastDialogRefusals();
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_EQ(refusals[0].message, "名称“bad”不行");
  EXPECT_EQ(refusals[0].focusedControl, IDC_EDIT_NAME);
  EXPECT_EQ(this->user().lastMessageBox().text, "名称“bad”不行");
  EXPECT_EQ(this->user().lastMessageBox().caption, "错误");

  contract_detail::PickyTexts cancelled;
  cancelled.name = "kept";
  this->user().answerNextMessageBox(IDOK);
  this->user().answerNextDialog(IDOK, {{IDC_EDIT_NAME, "bad"}});
  this->user().answerNextDialog(IDCANCEL, {});
  EXPECT_EQ(this->toolkit().runModalDialog(IDD_ITEM_DIALOG, cancelled), IDCANCEL);
  EXPECT_EQ(this->user().lastDialogRefusals().size(), 1u);
}

TYPED_TEST_P(ToolkitContract, AnUnknownTemplateGivesMinusOneWithoutExchange) {
  contract_detail::ThreeTexts texts;
  EXPECT_EQ(this->toolkit().runModalDialog(4242, texts), -1);
  EXPECT_TRUE(texts.exchanges.empty());
}

TYPED_TEST_P(ToolkitContract, FileDialogsGiveThePathOrCancel) {
  const std::string filter = "视频扩展插件 (*.vdb)|*.vdb||";
  this->user().answerNextFileDialog(IDOK, "/tmp/插件/demo");
  FileDialogResult chosen = this->toolkit().runFileDialog(FileDialogKind::kSave, filter);
  EXPECT_EQ(chosen.code, IDOK);
  EXPECT_EQ(chosen.path, "/tmp/插件/demo");
  this->user().answerNextFileDialog(IDCANCEL, "");
  EXPECT_NE(this->toolkit().runFileDialog(FileDialogKind::kOpen, filter).code, IDOK);
}

TYPED_TEST_P(ToolkitContract, BusyCursorsNest) {
  Toolkit& k = this->toolkit();
  EXPECT_FALSE(this->user().isBusyCursorShown());
  {
    ScopedBusyCursor outer(k);
    {
      ScopedBusyCursor inner(k);
      EXPECT_TRUE(this->user().isBusyCursorShown());
    }
    EXPECT_TRUE(this->user().isBusyCursorShown());
  }
  EXPECT_FALSE(this->user().isBusyCursorShown());
}

namespace contract_detail {
// Ends the editor window from OnInitDialog, as the editor does when its file cannot be opened.
struct AbortingClient : EditorWindowClient {
  void attachWindow(EditorWindow* window) override {
    attached.push_back(window != nullptr);
    if (window) this->window = window;
  }
  bool OnInitDialog() override {
    initAfterAttach = attached == std::vector<bool>{true};
    window->endDialog(IDABORT);
    return false;
  }
  MessageResult dispatch(const WindowMessage&) override { return {}; }
  EditorWindow* window = nullptr;
  std::vector<bool> attached;
  bool initAfterAttach = false;
};
}  // namespace contract_detail

TYPED_TEST_P(ToolkitContract, AnEditorWindowEndedDuringInitialisationNeverRuns) {
  contract_detail::AbortingClient client;
  EXPECT_EQ(this->toolkit().runEditorWindow(client), IDABORT);
  EXPECT_TRUE(client.initAfterAttach);
  EXPECT_EQ(client.attached, (std::vector<bool>{true, false}));
}

TYPED_TEST_P(ToolkitContract, InsertItemAfterPutsTheItemThereAndSendsNothing) {
  this->buildTree();
  TreeControl& t = this->tree();
  const TreeItem first = t.insertItemAfter(this->root_, TreeItem(), "0");
  const TreeItem middle = t.insertItemAfter(this->root_, this->a_, "AB");
  EXPECT_EQ(t.firstChild(this->root_), first);
  EXPECT_EQ(t.nextSibling(first), this->a_);
  EXPECT_EQ(t.nextSibling(this->a_), middle);
  EXPECT_EQ(t.nextSibling(middle), this->b_);
  EXPECT_EQ(t.itemData(middle), 0);
  EXPECT_EQ(t.parentItem(middle), this->root_);
  this->user().pumpEvents();
  EXPECT_TRUE(this->target_.messages.empty());
}

TYPED_TEST_P(ToolkitContract, SelectRowsSelectsExactlyThoseRows) {
  this->fillRows(5);
  ListControl& l = this->list();
  this->user().selectListRows({0});
  l.selectRows({3, 1});
  EXPECT_EQ(l.selectedCount(), 2);
  EXPECT_EQ(l.firstSelectedRow(), 1);
  EXPECT_TRUE(l.isRowSelected(3));
  EXPECT_FALSE(l.isRowSelected(0));
  l.selectRows({});
  EXPECT_EQ(l.selectedCount(), 0);
  this->user().pumpEvents();
  EXPECT_TRUE(this->target_.messages.empty());
}

TYPED_TEST_P(ToolkitContract, TheFindBoxSendsItsKeysAndClosesOnEscape) {
  this->buildTree();
  this->user().selectTreeItem(this->a_);
  this->clearMessages();
  EditorWindow& w = this->window();
  EXPECT_FALSE(w.isFindBoxShown());
  w.showFindBox();
  EXPECT_TRUE(w.isFindBoxShown());
  this->user().typeInFindBox("电影 a");
  EXPECT_EQ(w.findBoxText(), "电影 a");
  w.setFindBoxStatus("找不到");
  using Key = UserDriver::Key;
  const struct {
    Key key;
    int code;
    bool shift;
  } presses[] = {{Key::kEnter, VK_RETURN, false},
                 {Key::kShiftEnter, VK_RETURN, true},
                 {Key::kF3, VK_F3, false},
                 {Key::kShiftF3, VK_F3, true}};
  for (const auto& press : presses) this->user().pressKey(IDC_FIND_TEXT, press.key);
  this->user().pumpEvents();
  auto keys = this->target_.template all<KeyDownMessage>();
  ASSERT_EQ(keys.size(), 4u);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(keys[i].controlId, IDC_FIND_TEXT) << i;
    EXPECT_EQ(keys[i].key, presses[i].code) << i;
    EXPECT_EQ(keys[i].shift, presses[i].shift) << i;
    EXPECT_FALSE(keys[i].control) << i;
  }
  EXPECT_TRUE(w.isFindBoxShown()) << "Enter keeps the box";
  this->user().pressKey(IDC_FIND_TEXT, Key::kEscape);
  this->user().pumpEvents();
  EXPECT_FALSE(w.isFindBoxShown());
  EXPECT_EQ(this->target_.template all<KeyDownMessage>().size(), 4u) << "Esc is the box's own";
  EXPECT_TRUE(this->target_.template all<CommandMessage>().empty());
  w.showFindBox();
  EXPECT_EQ(w.findBoxText(), "电影 a") << "the box keeps its text";
  w.closeFindBox();
  EXPECT_FALSE(w.isFindBoxShown());
}

TYPED_TEST_P(ToolkitContract, KeysWithCtrlAndShiftReachTheWindowWithTheirModifiers) {
  this->buildTree();
  this->fillRows(2);
  this->user().selectTreeItem(this->a_);
  this->clearMessages();
  using Key = UserDriver::Key;
  const struct {
    int control;
    Key key;
    int code;
    bool shift;
    bool ctrl;
  } presses[] = {{IDC_TREE_TYPES, Key::kCtrlF, VK_KEY_F, false, true},
                 {IDC_LIST_ITEMS, Key::kCtrlZ, VK_KEY_Z, false, true},
                 {IDC_TREE_TYPES, Key::kCtrlY, VK_KEY_Y, false, true},
                 {IDC_LIST_ITEMS, Key::kCtrlShiftZ, VK_KEY_Z, true, true},
                 {IDC_TREE_TYPES, Key::kF3, VK_F3, false, false},
                 {IDC_LIST_ITEMS, Key::kShiftF3, VK_F3, true, false}};
  for (const auto& press : presses) this->user().pressKey(press.control, press.key);
  this->user().pumpEvents();
  auto keys = this->target_.template all<KeyDownMessage>();
  ASSERT_EQ(keys.size(), std::size(presses));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(keys[i].controlId, presses[i].control) << i;
    EXPECT_EQ(keys[i].key, presses[i].code) << i;
    EXPECT_EQ(keys[i].shift, presses[i].shift) << i;
    EXPECT_EQ(keys[i].control, presses[i].ctrl) << i;
  }
}

TYPED_TEST_P(ToolkitContract, ADragAsksAboutItsTargetAndDropsOnlyWhereAllowed) {
  this->buildTree();
  this->fillRows(3);
  this->user().selectListRows({1, 2});
  this->user().selectTreeItem(this->a_);
  this->clearMessages();
  this->target_.answer = [this](const WindowMessage& message) -> MessageResult {
    const auto* over = std::get_if<DragOverMessage>(&message);
    return {true, over && over->target != this->a2_ ? 1 : 0};
  };
  EXPECT_TRUE(this->user().dragTo(DragKind::kListRows, TreeItem(), this->b_));
  EXPECT_FALSE(this->user().dragTo(DragKind::kTreeItem, this->a1_, this->a2_));
  EXPECT_TRUE(this->user().dragTo(DragKind::kTreeItem, this->a1_, this->root_));
  this->user().pumpEvents();
  auto drops = this->target_.template all<DropMessage>();
  ASSERT_EQ(drops.size(), 2u);
  EXPECT_EQ(drops[0].kind, DragKind::kListRows);
  EXPECT_EQ(drops[0].target, this->b_);
  EXPECT_EQ(drops[1].kind, DragKind::kTreeItem);
  EXPECT_EQ(drops[1].dragged, this->a1_);
  EXPECT_EQ(drops[1].target, this->root_);
  auto overs = this->target_.template all<DragOverMessage>();
  ASSERT_FALSE(overs.empty());
  EXPECT_EQ(overs.back().target, this->root_);
  EXPECT_EQ(this->tree().selectedItem(), this->a_) << "a drag selects nothing";
  EXPECT_EQ(this->list().selectedCount(), 2);
}

TYPED_TEST_P(ToolkitContract, TheCategoryDialogGivesTheChosenEntry) {
  CategoryChoice choice;
  choice.caption = "移动到";
  choice.entries = {{-1, "root", 0}, {1, "电影", 1}, {2, "动作", 2}, {3, "B", 1}};
  choice.selectedId = 3;
  this->user().answerNextCategoryDialog(IDOK, 2);
  CategoryChoiceResult chosen = this->toolkit().runCategoryDialog(choice);
  EXPECT_EQ(chosen.code, IDOK);
  EXPECT_EQ(chosen.id, 2);
  this->user().answerNextCategoryDialog(IDOK, -1);
  EXPECT_EQ(this->toolkit().runCategoryDialog(choice).id, -1);
  this->user().answerNextCategoryDialog(IDCANCEL, 0);
  EXPECT_NE(this->toolkit().runCategoryDialog(choice).code, IDOK);
}

REGISTER_TYPED_TEST_SUITE_P(
    ToolkitContract, InsertedItemsAreLastChildrenWithDataZeroAndSendNothing,
    ItemTextsAndDataRoundTrip, ExpandShowsChildrenAndToggleFlips, DeletingAnItemTakesItsSubtree,
    DeletingTheSelectionMovesItAndReportsIt, DeletingAnAncestorOfTheSelectionMovesIt,
    EditLabelSelectsTheItemAndReportsItOnce, EditOfTheSelectedItemSendsNoSelectionChange,
    ConfirmedEditDeliversTheTextWithoutApplyingIt, EditConfirmedEmptyOrUnchangedCarriesThatText,
    CancelledEditDeliversNoText, TheReceiverSetsTheLabelWhileTheEditEnds,
    StartingAnEditCancelsTheRunningOne, DeletingTheEditedItemDropsTheEdit,
    TheUserCanStartAnEditDirectly, ListColumnsAndExtendedStyle, RowsInsertAtTheirPositionAndClamp,
    DeletedRowsLetTheRowsBehindMoveUpWithTheirSelection, AppendedRowsEqualRowsInsertedOneByOne,
    ListChangesSendNoMessages, ControlsExistAndMove, ScreenToClientIsATranslationThatFollowsMoves,
    ANegativeSizeCollapsesTheControl, PopupMenusReturnTheChoiceAndSendNothing,
    MessageBoxesAnswerWithTheButtonPressed, ADialogShowsItsMembersAndTakesTheEditsBackOnOk,
    ACancelledDialogTakesNothingBack, AnUnknownTemplateGivesMinusOneWithoutExchange,
    FileDialogsGiveThePathOrCancel, BusyCursorsNest,
    AnEditorWindowEndedDuringInitialisationNeverRuns, ItemAtFindsTheItemOnEachShownLine,
    SelectItemSelectsAndReportsAChangeOnce, RowsLieBelowTheHeaderInTheListsClientArea,
    SelectOnlyRowLeavesThatRowAlone, ClientToScreenUndoesScreenToClient,
    AnEditRestartedOnARefusedTextShowsThatText, KeysReachTheWindowAsMessages,
    InputGivenWhileBusyIsDroppedByDiscardPendingInput, ARightClickAsksForTheMenuAndSelectsNothing,
    ADoubleClickOnARowSelectsItAndSaysWhichRow, ARefusedConfirmKeepsTheDialogOpenOnTheRefusedEdit,
    InsertItemAfterPutsTheItemThereAndSendsNothing, SelectRowsSelectsExactlyThoseRows,
    TheFindBoxSendsItsKeysAndClosesOnEscape, KeysWithCtrlAndShiftReachTheWindowWithTheirModifiers,
    ADragAsksAboutItsTargetAndDropsOnlyWhereAllowed, TheCategoryDialogGivesTheChosenEntry);

}  // namespace orvalen::test
