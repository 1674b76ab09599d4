#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <wx/dialog.h>
#include <wx/listctrl.h>

#include "editor/toolkit.h"

class wxPanel;
class wxStaticBox;
class wxStaticText;
class wxTextCtrl;
class wxTreeEvent;

namespace orvalen::wx {

class CategoryTreeCtrl;
class VideoListCtrl;

// The editor window: the category tree and the video list, each in its group box, in a
// resizable dialog. It hands its user's actions to the attached client as messages and
// carries out the client's calls; the layout on resize is the client's.
class EditorDialog : public wxDialog, public EditorWindow {
 public:
  explicit EditorDialog(wxWindow* parent);
  ~EditorDialog() override;

  // Messages go to target from now on; nullptr stops them.
  void attach(MessageTarget* target);
  // The end code when endDialog was called before the window was shown.
  std::optional<int> endedBeforeShowing() const { return endCodeBeforeShowing_; }
  // Runs the window modally and returns its end code (IDOK, IDCANCEL or the endDialog code).
  int runModal();

  // The wxWidgets id of a command's entry in the pop-up menu being shown, or wxID_NONE.
  // (Command ids go beyond what wxWidgets accepts as menu ids, so entries are numbered.)
  int shownMenuItemId(int commandId) const;

  CategoryTreeCtrl& categoryTree() { return *tree_; }
  VideoListCtrl& videoList() { return *list_; }

  bool hasControl(int controlId) const override;
  TreeControl& tree() override;
  ListControl& list() override;
  Rect clientRect(int controlId) const override;
  Point screenToClient(int controlId, Point screen) const override;
  Point clientToScreen(int controlId, Point client) const override;
  void moveControl(int controlId, int x, int y, int width, int height, bool repaint) override;
  Rect windowClientRect() const override;
  bool isIconic() const override { return IsIconized(); }
  Size systemIconSize() const override;
  void drawIcon(int iconId, int x, int y) override;
  void setIcon(int iconId, bool big) override;
  SystemMenu* systemMenu() override { return systemMenu_.get(); }
  int trackPopupMenu(const orvalen::PopupMenu& menu, Point screen) override;
  int messageBox(const std::string& text, const std::string& caption, unsigned style) override;
  void endDialog(int code) override;
  void showFindBox() override;
  void closeFindBox() override;
  bool isFindBoxShown() const override;
  std::string findBoxText() const override;
  void setFindBoxStatus(const std::string& status) override;

  // A drag onto the tree, as the drop target sees it (and the tests, acting as the pointer):
  // beginDrag when it starts, dragOver as the pointer moves over a point of the tree's client
  // area (true: a drop there is allowed), dropAt when the button is let go, endDrag at its end.
  void beginDrag(DragKind kind, TreeItem dragged);
  bool dragOver(Point treeClient);
  void dropAt(Point treeClient);
  void endDrag();

 private:
  struct Drag {
    DragKind kind;
    TreeItem dragged;
    TreeItem target;       // where the pointer was last asked about
    bool allowed = false;  // the receiver's answer for target
  };
  wxWindow* control(int controlId) const;
  MessageResult deliver(const WindowMessage& message);
  void sendContextMenu(int controlId, const wxPoint& screen);
  void bindMouseForContextMenu(wxWindow* window, int controlId);
  // IDC_TREE_TYPES or IDC_LIST_ITEMS when window is it or a part of it, else 0.
  int controlOf(const wxWindow* window) const;
  int focusedControl() const { return controlOf(FindFocus()); }
  bool handleControlKey(const wxKeyEvent& event);
  bool handleFindBoxKey(const wxKeyEvent& event);
  void createFindBox();
  void placeFindBox();
  void runDrag(DragKind kind, TreeItem dragged);
  void bindDragAndDrop();
  void highlightDropTarget(TreeItem item);

  void onSize(wxSizeEvent& event);
  void onCharHook(wxKeyEvent& event);
  void onContextMenu(wxContextMenuEvent& event);
  void onListItemActivated(wxListEvent& event);
  void onListBeginDrag(wxListEvent& event);
  void onTreeBeginDrag(wxTreeEvent& event);

  wxStaticBox* groupTypes_ = nullptr;
  wxStaticBox* groupItems_ = nullptr;
  CategoryTreeCtrl* tree_ = nullptr;
  VideoListCtrl* list_ = nullptr;
  MessageTarget* target_ = nullptr;
  bool shown_ = false;
  std::optional<int> endCodeBeforeShowing_;
  std::vector<int> shownMenuCommands_;
  std::unique_ptr<SystemMenu> systemMenu_;
  wxPanel* findBox_ = nullptr;
  wxTextCtrl* findText_ = nullptr;
  wxStaticText* findStatus_ = nullptr;
  wxWindow* focusBeforeFind_ = nullptr;
  std::optional<Drag> drag_;
  TreeItem dropHighlight_;
};

}  // namespace orvalen::wx
