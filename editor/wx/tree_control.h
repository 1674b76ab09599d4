#pragma once

#include <functional>
#include <unordered_map>

#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "editor/toolkit.h"

namespace orvalen::wx {

// The category tree: a wxTreeCtrl with in-place label editing that keeps the editor's tree
// contract. Handles given out are numbers of its own, never reused, so a handle of a deleted
// item can never name a new one. Selection changes and the ends of label edits go to the sink
// as messages; the tree never applies an edited label itself.
class CategoryTreeCtrl : public wxTreeCtrl, public TreeControl {
 public:
  using MessageSink = std::function<void(const WindowMessage&)>;

  CategoryTreeCtrl(wxWindow* parent, int id, const wxPoint& position, const wxSize& size);
  void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }

  bool isEditingLabel() const { return editedItem_.IsOk(); }
  // Ends the running label edit as the user's Enter (confirm) or Esc (cancel) does.
  void endEditByUser(bool confirm);
  // The wxWidgets item behind a handle (null for the null handle).
  wxTreeItemId wxIdOf(TreeItem item) const { return item ? node(item).wxId : wxTreeItemId(); }
  // The handle of a wxWidgets item (null for items this class did not insert).
  TreeItem handleOf(const wxTreeItemId& wxId) const;

  TreeItem insertItem(TreeItem parent, const std::string& label) override;
  TreeItem insertItemAfter(TreeItem parent, TreeItem previous, const std::string& label) override;
  void deleteItem(TreeItem item) override;
  void setItemText(TreeItem item, const std::string& label) override;
  std::string itemText(TreeItem item) const override;
  void setItemData(TreeItem item, int data) override;
  int itemData(TreeItem item) const override;
  TreeItem rootItem() const override;
  TreeItem selectedItem() const override;
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

  void OnInternalIdle() override;

 private:
  struct Node {
    wxTreeItemId wxId;
    int data = 0;
  };

  const Node& node(TreeItem item) const;
  bool isInSubtree(const wxTreeItemId& candidate, const wxTreeItemId& top) const;
  void forgetSubtree(const wxTreeItemId& top);
  TreeItem selectionAfterDeleting(const wxTreeItemId& doomed) const;
  void send(const WindowMessage& message);
  bool isAlive(TreeItem item) const { return nodes_.count(item.id()) != 0; }
  bool ancestorsExpanded(const wxTreeItemId& wxId) const;
  TreeItem remember(const wxTreeItemId& wxId);
  void startEditWithText(TreeItem item, const std::string& text);
  void widthsChanged();

  void onSelChanging(wxTreeEvent& event);
  void onSelChanged(wxTreeEvent& event);
  void onBeginLabelEdit(wxTreeEvent& event);
  void onEndLabelEdit(wxTreeEvent& event);
  void watchEditControl();
  void discardEdit();

  MessageSink sink_;
  std::unordered_map<std::uintptr_t, Node> nodes_;
  std::unordered_map<void*, std::uintptr_t> handles_;
  std::uintptr_t nextHandle_ = 1;
  wxTreeItemId editedItem_;
  // Set while the tree changes its selection on its own account (its idle-time selection of
  // the first item) and while this class moves it and reports the move itself.
  bool vetoSelectionChanges_ = false;
  bool quiet_ = false;
  // How an edit ended, for the tree reports an edit confirmed unchanged as cancelled.
  bool escapePressed_ = false;
  bool discarding_ = false;
  // Set while an edit's end is reported: a new edit cannot start before the old one is gone.
  bool reportingEditEnd_ = false;
  wxTextCtrl* watchedEdit_ = nullptr;
};

}  // namespace orvalen::wx
