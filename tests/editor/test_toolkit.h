#pragma once

// An in-memory implementation of editor/toolkit.h for tests. It keeps the tree, the list, the
// menus and the window's geometry in memory, and answers pop-ups, message boxes, dialogs and
// file dialogs from a script that the test writes before the call. An unscripted modal call,
// a dead tree item or a row out of range throws std::logic_error, so that a test fails where
// the editor misuses the toolkit.
//
// Messages are delivered nested (during the call that causes them, as the Win32 controls do)
// or queued until pump(), as an asynchronous toolkit would; tests can run either way.
//
// Geometry: the tree shows one line of kTreeLineHeight pixels per item whose ancestors are
// expanded, in order from the top, indented kTreeIndent per level, a label kCharWidth per
// byte wide. The list's header is kListHeaderHeight high; rows of kListRowHeight follow. Neither
// control ever scrolls.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "editor/toolkit.h"

namespace orvalen::test {

enum class Delivery { kNested, kQueued };

// Delivers messages to a target, at once or on pump().
class MessagePost {
 public:
  void setTarget(MessageTarget* target) { target_ = target; }
  MessageTarget* target() const { return target_; }
  void setDelivery(Delivery delivery) { delivery_ = delivery; }

  // Takes one kind of message, not a WindowMessage, and builds the WindowMessage in place:
  // copying a whole variant whose alternative is known made GCC 12 at -O3 warn about the
  // other alternatives' members.
  template <class Message>
  void post(Message&& message) {
    if (!target_) return;
    if (delivery_ == Delivery::kNested) {
      target_->dispatch(WindowMessage(std::forward<Message>(message)));
    } else {
      queue_.emplace_back(std::forward<Message>(message));
    }
  }
  // Delivers every queued message, also those that delivery itself causes.
  void pump();

 private:
  MessageTarget* target_ = nullptr;
  Delivery delivery_ = Delivery::kNested;
  std::deque<WindowMessage> queue_;
};

constexpr int kTreeLineHeight = 20;
constexpr int kTreeIndent = 19;
constexpr int kCharWidth = 8;
constexpr int kListHeaderHeight = 24;
constexpr int kListRowHeight = 20;

class TestTree : public TreeControl {
 public:
  explicit TestTree(MessagePost& post) : post_(post) {}

  TreeItem insertItem(TreeItem parent, const std::string& label) override;
  TreeItem insertItemAfter(TreeItem parent, TreeItem previous, const std::string& label) override;
  void deleteItem(TreeItem item) override;
  void setItemText(TreeItem item, const std::string& label) override;
  std::string itemText(TreeItem item) const override;
  void setItemData(TreeItem item, int data) override;
  int itemData(TreeItem item) const override;
  TreeItem rootItem() const override;
  TreeItem selectedItem() const override { return selected_; }
  TreeItem parentItem(TreeItem item) const override;
  TreeItem firstChild(TreeItem item) const override;
  TreeItem nextSibling(TreeItem item) const override;
  void expand(TreeItem item) override;
  void toggle(TreeItem item) override;
  bool isExpanded(TreeItem item) const override;
  void editLabel(TreeItem item) override;
  void editLabelWithText(TreeItem item, const std::string& text) override;
  TreeItem itemAt(Point client) const override;
  void selectItem(TreeItem item) override;
  Rect itemRect(TreeItem item) override;

  // What the user does.
  void userSelect(TreeItem item);
  void userStartEdit(TreeItem item);  // a direct edit: click the selected item's label
  void userEndEdit(std::optional<std::string> text);
  TreeItem editingItem() const { return editing_; }
  // The text the running edit started with: the label, or the text given to
  // editLabelWithText.
  const std::string& editStartText() const { return editStartText_; }

  // Inspection.
  bool isAlive(TreeItem item) const { return nodes_.count(item.id()) != 0; }
  std::vector<TreeItem> children(TreeItem parent) const;  // null: the top-level items
  std::size_t itemCount() const { return nodes_.size(); }

 private:
  struct Node {
    TreeItem parent;
    std::vector<TreeItem> children;
    std::string label;
    int data = 0;
    bool expanded = false;
  };
  const Node& node(TreeItem item) const;
  Node& node(TreeItem item);
  std::vector<TreeItem>& siblingsOf(TreeItem item);
  bool isInSubtree(TreeItem candidate, TreeItem top) const;
  TreeItem selectionAfterDeleting(TreeItem item);
  void eraseSubtree(TreeItem item);
  void changeSelection(TreeItem item);
  void endEdit(std::optional<std::string> text);
  // The items that show, top to bottom, with their depth.
  std::vector<std::pair<TreeItem, int>> shownLines() const;

  MessagePost& post_;
  std::map<std::uintptr_t, Node> nodes_;
  std::vector<TreeItem> topLevel_;
  TreeItem selected_;
  TreeItem editing_;
  std::string editStartText_;
  std::uintptr_t nextId_ = 1;
};

class TestList : public ListControl {
 public:
  struct Column {
    std::string heading;
    int width = 0;
    int format = 0;
  };

  void setExtendedStyle(unsigned mask, unsigned style) override;
  unsigned extendedStyle() const override { return extendedStyle_; }
  void insertColumn(const std::string& heading, int width, int format) override;
  int columnCount() const override { return static_cast<int>(columns_.size()); }
  int rowCount() const override { return static_cast<int>(rows_.size()); }
  int insertRow(int position, const std::string& label) override;
  void deleteRow(int row) override;
  void deleteAllRows() override { rows_.clear(); }
  void setRowText(int row, int column, const std::string& text) override;
  std::string rowText(int row, int column) const override;
  void setRowData(int row, int data) override;
  int rowData(int row) const override;
  void appendRows(std::vector<Row> rows) override;
  int firstSelectedRow() const override;
  int selectedCount() const override;
  bool isRowSelected(int row) const override;
  void selectOnlyRow(int row) override;
  void selectRows(const std::vector<int>& rows) override { userSelectRows(rows); }
  int rowAt(Point client) const override;
  Rect rowRect(int row) override;

  // What the user does: selects exactly these rows.
  void userSelectRows(const std::vector<int>& rows);

  const std::vector<Column>& columns() const { return columns_; }

 private:
  struct StoredRow {
    std::vector<std::string> cells;  // cells[0] is the label
    int data = 0;
    bool selected = false;
  };
  StoredRow& at(int row);
  const StoredRow& at(int row) const;

  unsigned extendedStyle_ = 0;
  std::vector<Column> columns_;
  std::vector<StoredRow> rows_;
};

class TestSystemMenu : public SystemMenu {
 public:
  struct Entry {
    unsigned commandId = 0;  // 0 for a separator
    std::string text;
  };
  void appendSeparator() override { entries.push_back({0, ""}); }
  void appendString(unsigned commandId, const std::string& text) override {
    entries.push_back({commandId, text});
  }
  std::vector<Entry> entries;
};

struct MessageBoxShown {
  std::string text;
  std::string caption;
  unsigned style = 0;
};

struct PopupShown {
  PopupMenu menu;
  Point screen;
  // What the window showed when the menu opened.
  TreeItem treeSelection;
  int listRows = 0;
  std::vector<int> listSelection;
};

// Where a control sits in the window's client area, and its border width.
struct ControlPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int border = 0;
};

struct TestWindowOptions {
  bool withGroupBoxes = true;
  bool withSystemMenu = false;
  // Screen position of the window's client area.
  Point clientOrigin{100, 50};
  int border = 2;
};

class TestEditorWindow : public EditorWindow {
 public:
  explicit TestEditorWindow(TestWindowOptions options = {});

  bool hasControl(int controlId) const override;
  TreeControl& tree() override { return tree_; }
  ListControl& list() override { return list_; }
  Rect clientRect(int controlId) const override;
  Point screenToClient(int controlId, Point screen) const override;
  Point clientToScreen(int controlId, Point client) const override;
  void moveControl(int controlId, int x, int y, int width, int height, bool repaint) override;
  Rect windowClientRect() const override { return {0, 0, clientSize.width, clientSize.height}; }
  bool isIconic() const override { return iconic; }
  Size systemIconSize() const override { return iconSize; }
  void drawIcon(int iconId, int x, int y) override;
  void setIcon(int iconId, bool big) override;
  SystemMenu* systemMenu() override;
  int trackPopupMenu(const PopupMenu& menu, Point screen) override;
  int messageBox(const std::string& text, const std::string& caption, unsigned style) override;
  void endDialog(int code) override { endCode = code; }
  void showFindBox() override;
  void closeFindBox() override { findBoxShown = false; }
  bool isFindBoxShown() const override { return findBoxShown; }
  std::string findBoxText() const override { return findText; }
  void setFindBoxStatus(const std::string& status) override { findStatus = status; }

  // What the user does: types into the find box (which must show), drags onto the tree. The
  // drag asks the receiver at once, as a real drag does while the pointer moves; true when it
  // allowed the drop, which then follows.
  void userTypeInFindBox(const std::string& text);
  bool userDrag(DragKind kind, TreeItem dragged, TreeItem target);

  TestTree& testTree() { return tree_; }
  TestList& testList() { return list_; }
  MessagePost& post() { return post_; }
  const ControlPlace& place(int controlId) const;

  // Scripts: the answers to the next modal calls, in order.
  std::deque<int> popupAnswers;       // command ids; 0 dismisses the menu
  std::deque<int> messageBoxAnswers;  // IDOK or IDCANCEL

  // Input the user gave that the window has not taken yet: delivered by takeInput() (which
  // pump() and the modal loops call), or dropped by the toolkit's discardPendingInput().
  std::deque<std::function<void()>> pendingInput;
  void takeInput();

  // What was shown and done.
  std::vector<PopupShown> popups;
  std::vector<MessageBoxShown> messageBoxes;
  std::vector<std::pair<int, bool>> iconsSet;  // icon id, big
  struct IconDrawn {
    int iconId;
    int x;
    int y;
  };
  std::vector<IconDrawn> iconsDrawn;
  struct Move {
    int controlId;
    int x, y, width, height;  // as requested, negative sizes included
    friend bool operator==(const Move& a, const Move& b) {
      return a.controlId == b.controlId && a.x == b.x && a.y == b.y && a.width == b.width &&
             a.height == b.height;
    }
    friend std::ostream& operator<<(std::ostream& out, const Move& m) {
      return out << m.controlId << "@" << m.x << "," << m.y << "," << m.width << "," << m.height;
    }
  };
  std::vector<Move> moves;
  std::optional<int> endCode;
  bool findBoxShown = false;
  int findBoxShows = 0;
  std::string findText;
  std::string findStatus;

  Size clientSize{884, 642};
  bool iconic = false;
  Size iconSize{32, 32};

 private:
  TestWindowOptions options_;
  MessagePost post_;
  TestTree tree_{post_};
  TestList list_;
  std::map<int, ControlPlace> places_;
  TestSystemMenu systemMenu_;
};

// The scripted answer to one modal dialog.
struct DialogAnswer {
  int result = IDOK;
  std::map<int, std::string> typed;  // edit id -> the text the user leaves in it
};

struct DialogRefusal {
  int focusedControl = 0;  // the edit that got the focus
  std::string message;
};

struct DialogShown {
  int templateId = 0;
  std::map<int, std::string> editsAtOpen;
  std::vector<DialogRefusal> refusals;
};

class TestToolkit : public Toolkit {
 public:
  int runEditorWindow(EditorWindowClient& client) override;
  int runModalDialog(int templateId, DialogClient& client) override;
  CategoryChoiceResult runCategoryDialog(const CategoryChoice& choice) override;
  FileDialogResult runFileDialog(FileDialogKind kind, const std::string& filter) override;
  void beginBusyCursor() override;
  void endBusyCursor() override;
  void discardPendingInput() override;

  // The editor window that the modal dialogs' message boxes belong to and whose pending input
  // discardPendingInput drops; runEditorWindow sets it to its own window while it runs.
  TestEditorWindow* activeWindow = nullptr;

  // Scripts.
  TestWindowOptions windowOptions;
  // Called when a busy cursor starts to show (the user may act meanwhile).
  std::function<void()> onBusyCursor;
  // Prepares the editor window before it is attached (scripts its message boxes, ...).
  std::function<void(TestEditorWindow&)> beforeInit;
  // What the user does in the editor window while its modal run lasts.
  std::function<void(TestEditorWindow&)> session;
  std::deque<DialogAnswer> dialogAnswers;
  std::deque<FileDialogResult> fileDialogAnswers;
  std::deque<CategoryChoiceResult> categoryAnswers;

  // What was shown and done.
  std::vector<DialogShown> dialogs;  // a refused confirm keeps the dialog, and adds a refusal
  std::vector<std::pair<FileDialogKind, std::string>> fileDialogs;
  std::vector<CategoryChoice> categoryChoices;
  int busyDepth = 0;
  int busyCursorsShown = 0;
  int inputDiscards = 0;
  bool editorWindowShown = false;
};

}  // namespace orvalen::test
