#pragma once

// The windowing toolkit as the editor sees it. The editor's logic (editor/) is written against
// these interfaces only; editor/wx/ implements them with wxWidgets, and the tests implement
// them in memory (tests/editor/test_toolkit.h). Both must keep the contract written here; the
// contract suite in tests/editor/toolkit_contract.h checks it for every implementation.
//
// General rules
// - Texts are UTF-8 everywhere; an implementation converts at its own edge.
// - Everything runs on the one user-interface thread. Calls are made from the editor's
//   handlers; messages go to the window's MessageTarget one at a time.
// - A message that a call causes (the selection change that editLabel or deleteItem brings)
//   is delivered either during the call, nested, or after it returns, before the next user
//   input is handled. Which of the two is the implementation's choice; the editor copes with
//   both. Calls never cause a message that this header does not name.
// - Handles of deleted tree items are dead: passing one to any call is a fault of the caller.
//   Row numbers and item handles are never reused while the caller could still hold them.
// - Nothing here throws for ordinary use; misuse (a dead handle, a row out of range) is a
//   caller fault that an implementation may report by throwing std::logic_error.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "resource_ids.h"

namespace orvalen {

struct Point {
  int x = 0;
  int y = 0;
};

struct Size {
  int width = 0;
  int height = 0;
};

// A rectangle by its edges: left and top inside, right and bottom outside.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// Containment with the left and top edges inside and the right and bottom edges outside.
inline bool PtInRect(const Rect& rect, Point point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

// An opaque tree item handle; the default value is the null item ("none").
class TreeItem {
 public:
  constexpr TreeItem() = default;
  constexpr explicit TreeItem(std::uintptr_t id) : id_(id) {}
  constexpr std::uintptr_t id() const { return id_; }
  constexpr explicit operator bool() const { return id_ != 0; }
  friend constexpr bool operator==(TreeItem a, TreeItem b) { return a.id_ == b.id_; }
  friend constexpr bool operator!=(TreeItem a, TreeItem b) { return a.id_ != b.id_; }
  friend constexpr bool operator<(TreeItem a, TreeItem b) { return a.id_ < b.id_; }

 private:
  std::uintptr_t id_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Messages from the window to the editor

// A command chosen by the user. Pop-up menu choices are not sent this way: trackPopupMenu
// returns them, and the editor routes them itself.
struct CommandMessage {
  int commandId = 0;
};

// The tree's selection changed, by the user, by editLabel, or by deleting the selected item.
// newItem is null when nothing is selected any more.
struct TreeSelChangedMessage {
  int controlId = IDC_TREE_TYPES;
  TreeItem oldItem;
  TreeItem newItem;
};

// An in-place label edit ended: text holds what the user confirmed (maybe unchanged, maybe
// empty), or nothing when the edit was cancelled. The toolkit never applies the text to the
// label itself: the receiver sets the label (TreeControl::setItemText) if it wants it.
struct TreeEndLabelEditMessage {
  int controlId = IDC_TREE_TYPES;
  TreeItem item;
  std::optional<std::string> text;
};

// The window's client area changed size. Sent after the toolkit's own handling of the change,
// for every size, 0 x 0 (minimised) included. kind is one of the SIZE_ values.
constexpr int SIZE_RESTORED = 0;
constexpr int SIZE_MINIMIZED = 1;
constexpr int SIZE_MAXIMIZED = 2;
struct SizeMessage {
  int kind = SIZE_RESTORED;
  int width = 0;
  int height = 0;
};

// The user asked for a context menu: a right click (screen position of the pointer, on the
// tree, the list or the list's header) or the keyboard (the Menu key or Shift+F10; position
// -1, -1). For a click, controlId names the control under the pointer, 0 for none; from the
// keyboard, the control that has the keyboard focus, 0 for none. A right click changes no
// selection: the receiver decides what it selects.
struct ContextMenuMessage {
  int controlId = 0;
  Point screen;
};

// Keys of KeyDownMessage, as the original platform numbers them.
constexpr int VK_RETURN = 0x0D;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_KEY_F = 0x46;
constexpr int VK_KEY_Y = 0x59;
constexpr int VK_KEY_Z = 0x5A;

// A key pressed while the tree or the list has the keyboard focus and no label is being
// edited: F2, F3, Delete or Insert, alone or with Shift, and Ctrl+F, Ctrl+Y, Ctrl+Z (with or
// without Shift). From the find box (controlId IDC_FIND_TEXT): Enter, F3 and Ctrl+F, alone or
// with Shift. The toolkit handles every other key itself. handled false leaves the key to the
// control. Keys never come while a label edit, a menu or a dialog has the keyboard.
struct KeyDownMessage {
  int controlId = 0;
  int key = 0;
  bool shift = false;
  bool control = false;
};

// A double click on the list. row is the row under the pointer, which the click has selected,
// or -1 when the pointer was on no row.
struct ListDoubleClickMessage {
  int controlId = IDC_LIST_ITEMS;
  int row = -1;
};

// What the user drags onto the tree: the list's selected rows (dragged is null), or a tree
// item (dragged). A drag starts without a message when the user drags a selected row or an
// item; the selection does not change while it lasts.
enum class DragKind { kListRows, kTreeItem };

// The drag is over target, a tree item (null: over no item). The receiver answers value 1
// when a drop there is allowed; otherwise the pointer shows that it is not, and a drop there
// sends nothing. Sent again whenever the target changes.
struct DragOverMessage {
  DragKind kind = DragKind::kListRows;
  TreeItem dragged;
  TreeItem target;
};

// The user let go over target, which the last DragOverMessage allowed. The drag has ended.
struct DropMessage {
  DragKind kind = DragKind::kListRows;
  TreeItem dragged;
  TreeItem target;
};

// A command of the window's system menu (only toolkits whose windows have one send it).
struct SysCommandMessage {
  unsigned code = 0;
  long param = 0;
};

// The user asked for help (F1 in the editor window).
struct HelpMessage {};

// The window needs painting. Toolkits that paint minimised windows themselves never send it.
struct PaintMessage {};

// The toolkit asks which icon to show while the minimised window is dragged.
struct QueryDragIconMessage {};

using WindowMessage =
    std::variant<CommandMessage, TreeSelChangedMessage, TreeEndLabelEditMessage, SizeMessage,
                 ContextMenuMessage, KeyDownMessage, ListDoubleClickMessage, DragOverMessage,
                 DropMessage, SysCommandMessage, HelpMessage, PaintMessage, QueryDragIconMessage>;

// What the receiver did with a message. handled false asks the toolkit for its default
// handling (default painting, the default system command, ...). value is the message's
// result where it has one (the icon id for QueryDragIconMessage), else 0.
struct MessageResult {
  bool handled = false;
  long value = 0;
};

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual MessageResult dispatch(const WindowMessage& message) = 0;
};

// ---------------------------------------------------------------------------------------------
// Controls

// The category tree (control IDC_TREE_TYPES): labelled items with one int of item data each,
// in-place label editing, one selected item at most.
class TreeControl {
 public:
  virtual ~TreeControl() = default;

  // Inserts an item labelled label as the last child of parent (null: last top-level item).
  // Its item data is 0. Returns the new item. Changes no selection and sends nothing.
  virtual TreeItem insertItem(TreeItem parent, const std::string& label) = 0;
  // The same, right after the child previous of parent (null previous: as the first child).
  virtual TreeItem insertItemAfter(TreeItem parent, TreeItem previous,
                                   const std::string& label) = 0;

  // Deletes item with everything below it. If the selection is in that subtree, it moves to
  // the item's next sibling, else its previous sibling, else its parent (none when there is
  // none), and a TreeSelChangedMessage follows. An in-place edit of an item in the subtree is
  // dropped: no end message comes for it.
  virtual void deleteItem(TreeItem item) = 0;

  virtual void setItemText(TreeItem item, const std::string& label) = 0;
  virtual std::string itemText(TreeItem item) const = 0;
  virtual void setItemData(TreeItem item, int data) = 0;
  virtual int itemData(TreeItem item) const = 0;

  // Navigation; each gives the null item when there is none.
  virtual TreeItem rootItem() const = 0;  // the first top-level item
  virtual TreeItem selectedItem() const = 0;
  virtual TreeItem parentItem(TreeItem item) const = 0;  // null for a top-level item
  virtual TreeItem firstChild(TreeItem item) const = 0;
  virtual TreeItem nextSibling(TreeItem item) const = 0;

  // The item on the line through a point of the tree's client area (the coordinates of
  // EditorWindow::screenToClient), or null when no item shows there.
  virtual TreeItem itemAt(Point client) const = 0;
  // Selects item (not null), as a click on it would; a TreeSelChangedMessage follows when the
  // selection changed. Not while a label edit runs.
  virtual void selectItem(TreeItem item) = 0;
  // Where item's label shows, in client coordinates; empty (0, 0, 0, 0) when the item does not
  // show because an ancestor is collapsed. The tree scrolls to show item first.
  virtual Rect itemRect(TreeItem item) = 0;

  // Shows item's children; toggle flips between shown and hidden. Neither sends anything.
  virtual void expand(TreeItem item) = 0;
  virtual void toggle(TreeItem item) = 0;
  virtual bool isExpanded(TreeItem item) const = 0;

  // Starts in-place editing of item's label and returns at once. If item was not selected it
  // becomes selected first, and a TreeSelChangedMessage follows. An edit already in progress
  // ends first as cancelled (its end message without text). The edit ends later, when the
  // user confirms or cancels it, with a TreeEndLabelEditMessage. The user can also start an
  // edit directly (no call, no message at its start); it ends the same way.
  virtual void editLabel(TreeItem item) = 0;
  // The same, with the edit showing text instead of item's label: for a text that the receiver
  // refused when an edit ended, so the user can correct it. May be called while the receiver
  // handles that edit's end; the new edit then starts once that handling is over, before the
  // next user input.
  virtual void editLabelWithText(TreeItem item, const std::string& text) = 0;
};

// The video list (control IDC_LIST_ITEMS) in report view: rows of texts in columns, one int of
// item data per row, any number of selected rows. Row numbers count from 0. The list may be
// virtual; 100,000 rows must stay quick. Changing rows or selection sends no message.
class ListControl {
 public:
  virtual ~ListControl() = default;

  // Switches the extended styles in mask to the values in style (LVS_EX_GRIDLINES,
  // LVS_EX_FULLROWSELECT); styles outside mask stay.
  virtual void setExtendedStyle(unsigned mask, unsigned style) = 0;
  virtual unsigned extendedStyle() const = 0;

  // Appends a column with a heading, a width in pixels and LVCFMT_LEFT or LVCFMT_CENTER.
  virtual void insertColumn(const std::string& heading, int width, int format) = 0;
  virtual int columnCount() const = 0;

  virtual int rowCount() const = 0;
  // Inserts an unselected row at position (clamped to 0 .. rowCount()) whose column 0 shows
  // label; its other columns are empty and its data is 0. Rows from position on move down
  // one. Returns the row's position.
  virtual int insertRow(int position, const std::string& label) = 0;
  // Deletes one row; the rows behind it move up one, their selection with them.
  virtual void deleteRow(int row) = 0;
  virtual void deleteAllRows() = 0;

  // The text of one cell; column 0 is the row's label.
  virtual void setRowText(int row, int column, const std::string& text) = 0;
  virtual std::string rowText(int row, int column) const = 0;
  virtual void setRowData(int row, int data) = 0;
  virtual int rowData(int row) const = 0;

  // Appends many rows at once, unselected: the same as insertRow at the end, setRowData and
  // setRowText for each cell, done in one step.
  struct Row {
    std::string label;
    int data = 0;
    std::vector<std::string> cells;  // columns 1, 2, ...
  };
  virtual void appendRows(std::vector<Row> rows) = 0;

  // The first (lowest) selected row, or -1; the number of selected rows.
  virtual int firstSelectedRow() const = 0;
  virtual int selectedCount() const = 0;
  virtual bool isRowSelected(int row) const = 0;
  // Selects row alone, every other row unselected, and makes it the row the keyboard is on.
  virtual void selectOnlyRow(int row) = 0;
  // Selects exactly these rows (any order); the first of them becomes the row the keyboard is
  // on. An empty list unselects every row.
  virtual void selectRows(const std::vector<int>& rows) = 0;

  // The list's client area holds its column header above the rows. The row at a point of it
  // (the coordinates of EditorWindow::screenToClient), or -1 on the header or where no row is.
  virtual int rowAt(Point client) const = 0;
  // Where row shows, in client coordinates. The list scrolls to show row first.
  virtual Rect rowRect(int row) = 0;
};

// The window's system menu, for toolkits whose windows have one.
class SystemMenu {
 public:
  virtual ~SystemMenu() = default;
  virtual void appendSeparator() = 0;
  virtual void appendString(unsigned commandId, const std::string& text) = 0;
};

// A pop-up menu as the editor builds it. An entry with commandId 0 is a separator. Texts may
// carry a mnemonic marked with '&'.
struct PopupMenu {
  struct Entry {
    int commandId = 0;
    std::string text;
    bool enabled = true;
  };
  std::vector<Entry> entries;
};

// Message box styles (combine one button set with at most one icon).
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_OKCANCEL = 0x01;
constexpr unsigned MB_ICONERROR = 0x10;

// ---------------------------------------------------------------------------------------------
// The editor window (IDD_MAIN_DIALOG): the tree, the list and the group boxes IDC_GROUP_TYPES
// and IDC_GROUP_ITEMS, all in the window's client area.

class EditorWindow {
 public:
  virtual ~EditorWindow() = default;

  // True when the control exists in the window. The tree and the list exist from the moment
  // the window is attached; a group box may be missing.
  virtual bool hasControl(int controlId) const = 0;
  virtual TreeControl& tree() = 0;
  virtual ListControl& list() = 0;

  // A control's client area in its own coordinates: from 0, 0 to its client width and height
  // (inside its border, so possibly smaller than its outer size).
  virtual Rect clientRect(int controlId) const = 0;
  // A screen position in a control's client coordinates. Any point converts, (-1, -1) too.
  virtual Point screenToClient(int controlId, Point screen) const = 0;
  // The reverse: a point of a control's client area on the screen.
  virtual Point clientToScreen(int controlId, Point client) const = 0;
  // Moves a control to x, y (the window's client coordinates) with an outer size of width x
  // height. Negative sizes are accepted (taken as 0). repaint asks for a redraw.
  virtual void moveControl(int controlId, int x, int y, int width, int height, bool repaint) = 0;

  // The window's own client area, from 0, 0.
  virtual Rect windowClientRect() const = 0;
  virtual bool isIconic() const = 0;
  virtual Size systemIconSize() const = 0;
  // Draws the icon at x, y of the client area; only while handling a PaintMessage.
  virtual void drawIcon(int iconId, int x, int y) = 0;

  // The window's icon (IDR_MAINFRAME), as the big (title bar, task switcher) or small icon.
  virtual void setIcon(int iconId, bool big) = 0;

  // The window's system menu, or nullptr when the window has none (the usual case on Linux).
  virtual SystemMenu* systemMenu() = 0;

  // Shows menu with its top-left corner at a screen position, owned by the window, and waits
  // for the user. Returns the command id of the chosen entry, or 0 when the menu was closed
  // without a choice. Disabled entries show greyed and cannot be chosen. The choice is only
  // returned: no CommandMessage is sent for it.
  virtual int trackPopupMenu(const PopupMenu& menu, Point screen) = 0;

  // A modal message box owned by the window. style: MB_OK or MB_OKCANCEL, optionally with
  // MB_ICONERROR. Returns IDOK when OK was chosen, else IDCANCEL (closing the box of an MB_OK
  // message counts as OK).
  virtual int messageBox(const std::string& text, const std::string& caption, unsigned style) = 0;

  // Ends the window's modal run with code. Called while OnInitDialog runs, the window is
  // never shown and the run returns code at once.
  virtual void endDialog(int code) = 0;

  // The find box: a small bar over the window with a text field (IDC_FIND_TEXT) and a line of
  // status. showFindBox shows it if hidden, gives its field the keyboard focus and selects the
  // field's text. Esc in the field closes it, and only it; the focus goes back to the control
  // that had it. Its keys reach the receiver as KeyDownMessages (see there).
  virtual void showFindBox() = 0;
  virtual void closeFindBox() = 0;
  virtual bool isFindBoxShown() const = 0;
  virtual std::string findBoxText() const = 0;
  // A short text beside the field ("" clears it), such as what a search did not find.
  virtual void setFindBoxStatus(const std::string& status) = 0;
};

// Who runs inside the editor window: the editor (COrvalenDlg).
class EditorWindowClient : public MessageTarget {
 public:
  // The window after it is created with its controls, and nullptr before it goes away.
  virtual void attachWindow(EditorWindow* window) = 0;
  // Called once, after attachWindow and before the window shows. True asks the toolkit to give
  // the keyboard focus to the first control (the tree); false leaves the focus alone.
  virtual bool OnInitDialog() = 0;
};

// ---------------------------------------------------------------------------------------------
// Modal dialogs built from a template, with their data exchange.

// Moves values between a dialog's members and its controls, in one direction per exchange.
class DataExchange {
 public:
  virtual ~DataExchange() = default;
  // False: members go into the controls (the dialog opens). True: controls go into the
  // members (the dialog is confirmed).
  virtual bool isSaving() const = 0;
  // Exchanges value with the text of the edit controlId.
  virtual void text(int controlId, std::string& value) = 0;
  // While saving: refuses what the user confirmed. message shows in a message box over the
  // dialog (caption "错误", error icon), then the edit controlId has the keyboard focus, and
  // the dialog stays open with every text as the user left it; the run has not ended. The
  // exchange should return after the call.
  virtual void fail(int controlId, const std::string& message) = 0;
};

class DialogClient {
 public:
  virtual ~DialogClient() = default;
  virtual void DoDataExchange(DataExchange& exchange) = 0;
};

// The categories a choice is made from, in tree order: each with its id, its label and its
// depth (0 for the root item, 1 for the categories under it, ...); each entry's parent is the
// nearest entry before it with a smaller depth.
struct CategoryChoice {
  struct Entry {
    int id = 0;
    std::string label;
    int depth = 0;
  };
  std::string caption;
  std::vector<Entry> entries;
  int selectedId = -1;  // the entry selected (and shown, its parents expanded) when it opens
};

struct CategoryChoiceResult {
  int code = IDCANCEL;  // IDOK when the user chose an entry
  int id = 0;           // the chosen entry's id, when code is IDOK
};

enum class FileDialogKind { kOpen, kSave };

struct FileDialogResult {
  int code = IDCANCEL;  // IDOK when the user chose a file
  std::string path;     // the full path as chosen, when code is IDOK
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Creates the editor window, attaches it to client, calls client.OnInitDialog(), then shows
  // it and delivers its messages to client until it is closed (close box or Esc: IDCANCEL;
  // Enter: IDOK; neither while a label edit has the keyboard) or ended by endDialog. Detaches
  // (attachWindow(nullptr)) before the window is destroyed. Returns the end code. When OnInitDialog
  // ends the dialog, the window never shows.
  virtual int runEditorWindow(EditorWindowClient& client) = 0;

  // Runs the dialog of a template (IDD_ITEM_DIALOG with the edits IDC_EDIT_NAME, IDC_EDIT_URL
  // and IDC_EDIT_IMAGE_URL; IDD_ABOUTBOX) modally over the active window. When it opens,
  // client.DoDataExchange runs with isSaving() false; when the user confirms (OK, Enter) it
  // runs with isSaving() true and the result is IDOK, unless that exchange called fail(): the
  // dialog then stays open, and the user goes on until a confirm that is not refused, or a
  // cancel. Cancel, Esc and the close box give IDCANCEL without an exchange. A dialog that
  // cannot be created gives -1 and no exchange.
  virtual int runModalDialog(int templateId, DialogClient& client) = 0;

  // A modal dialog over the active window with the choice's entries as a tree, an OK and a
  // cancel button. Enter or OK takes the selected entry; Esc, cancel and the close box give
  // IDCANCEL.
  virtual CategoryChoiceResult runCategoryDialog(const CategoryChoice& choice) = 0;

  // An open or save file dialog with a filter in the form "label|pattern||". No default
  // extension, no initial name; the save dialog asks before choosing an existing file.
  virtual FileDialogResult runFileDialog(FileDialogKind kind, const std::string& filter) = 0;

  // A busy cursor over the whole application while at least one begin is not yet ended. It
  // shows at once, also while the program does not get back to its event loop for a while.
  virtual void beginBusyCursor() = 0;
  virtual void endBusyCursor() = 0;

  // Drops the key presses and mouse clicks that the user gave while the program could not
  // take them (it waited for a lock), so that none of them reaches a window: neither a text
  // typed into the wrong place nor an Esc that would close the editor. Other events stay.
  virtual void discardPendingInput() = 0;
};

class ScopedBusyCursor {
 public:
  explicit ScopedBusyCursor(Toolkit& toolkit) : toolkit_(toolkit) { toolkit_.beginBusyCursor(); }
  ~ScopedBusyCursor() { toolkit_.endBusyCursor(); }
  ScopedBusyCursor(const ScopedBusyCursor&) = delete;
  ScopedBusyCursor& operator=(const ScopedBusyCursor&) = delete;

 private:
  Toolkit& toolkit_;
};

}  // namespace orvalen
