#include "tree_control.h"

#include <stdexcept>

#include <wx/textctrl.h>

#include "utf8.h"

namespace orvalen::wx {
namespace {

// A simple border is a visible line with every theme (a sunken one draws nothing with some).
constexpr long kTreeStyle = wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_EDIT_LABELS |
                            wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_SIMPLE | wxHSCROLL;

}  // namespace

CategoryTreeCtrl::CategoryTreeCtrl(wxWindow* parent, int id, const wxPoint& position,
                                   const wxSize& size)
    : wxTreeCtrl(parent, id, position, size, kTreeStyle) {
  // The hidden root holds the top-level items, so there can be several of them.
  AddRoot(wxString());
  Bind(wxEVT_TREE_SEL_CHANGING, &CategoryTreeCtrl::onSelChanging, this);
  Bind(wxEVT_TREE_SEL_CHANGED, &CategoryTreeCtrl::onSelChanged, this);
  Bind(wxEVT_TREE_BEGIN_LABEL_EDIT, &CategoryTreeCtrl::onBeginLabelEdit, this);
  Bind(wxEVT_TREE_END_LABEL_EDIT, &CategoryTreeCtrl::onEndLabelEdit, this);
}

const CategoryTreeCtrl::Node& CategoryTreeCtrl::node(TreeItem item) const {
  const auto found = nodes_.find(item.id());
  if (found == nodes_.end()) throw std::logic_error("tree item handle is not alive");
  return found->second;
}

TreeItem CategoryTreeCtrl::handleOf(const wxTreeItemId& wxId) const {
  if (!wxId.IsOk()) return {};
  const auto found = handles_.find(wxId.GetID());
  return found == handles_.end() ? TreeItem() : TreeItem(found->second);
}

TreeItem CategoryTreeCtrl::insertItem(TreeItem parent, const std::string& label) {
  const wxTreeItemId parentId = parent ? node(parent).wxId : GetRootItem();
  return remember(AppendItem(parentId, toWx(label)));
}

TreeItem CategoryTreeCtrl::insertItemAfter(TreeItem parent, TreeItem previous,
                                           const std::string& label) {
  const wxTreeItemId parentId = parent ? node(parent).wxId : GetRootItem();
  if (!previous) return remember(PrependItem(parentId, toWx(label)));
  return remember(InsertItem(parentId, node(previous).wxId, toWx(label)));
}

TreeItem CategoryTreeCtrl::remember(const wxTreeItemId& wxId) {
  const std::uintptr_t handle = nextHandle_++;
  nodes_[handle] = Node{wxId, 0};
  handles_[wxId.GetID()] = handle;
  widthsChanged();
  return TreeItem(handle);
}

bool CategoryTreeCtrl::isInSubtree(const wxTreeItemId& candidate, const wxTreeItemId& top) const {
  for (wxTreeItemId at = candidate; at.IsOk(); at = GetItemParent(at)) {
    if (at == top) return true;
  }
  return false;
}

void CategoryTreeCtrl::forgetSubtree(const wxTreeItemId& top) {
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = GetFirstChild(top, cookie); child.IsOk();
       child = GetNextChild(top, cookie)) {
    forgetSubtree(child);
  }
  const auto found = handles_.find(top.GetID());
  if (found == handles_.end()) return;
  nodes_.erase(found->second);
  handles_.erase(found);
}

TreeItem CategoryTreeCtrl::selectionAfterDeleting(const wxTreeItemId& doomed) const {
  if (const wxTreeItemId next = GetNextSibling(doomed); next.IsOk()) return handleOf(next);
  if (const wxTreeItemId previous = GetPrevSibling(doomed); previous.IsOk()) {
    return handleOf(previous);
  }
  return handleOf(GetItemParent(doomed));
}

void CategoryTreeCtrl::deleteItem(TreeItem item) {
  const wxTreeItemId doomed = node(item).wxId;
  if (editedItem_.IsOk() && isInSubtree(editedItem_, doomed)) {
    quiet_ = true;
    discardEdit();
    editedItem_.Unset();
    quiet_ = false;
  }
  const TreeItem oldSelection = selectedItem();
  const bool selectionGoes = GetSelection().IsOk() && isInSubtree(GetSelection(), doomed);
  const TreeItem newSelection = selectionGoes ? selectionAfterDeleting(doomed) : TreeItem();
  if (selectionGoes) {
    // Moved before the delete, quietly, so the tree has nothing of its own to pick later; the
    // change is reported once the item is gone.
    quiet_ = true;
    if (newSelection) {
      SelectItem(node(newSelection).wxId);
    } else {
      Unselect();
    }
    quiet_ = false;
  }
  forgetSubtree(doomed);
  Delete(doomed);
  if (selectionGoes) send(TreeSelChangedMessage{IDC_TREE_TYPES, oldSelection, newSelection});
}

void CategoryTreeCtrl::setItemText(TreeItem item, const std::string& label) {
  SetItemText(node(item).wxId, toWx(label));
  widthsChanged();
}

// The horizontal scroll range must cover the widest label. The generic tree measures a label
// when it changes but sets its scroll range only when it lays out all items again, which a new
// label alone does not ask for.
void CategoryTreeCtrl::widthsChanged() {
#ifdef wxHAS_GENERIC_TREECTRL
  m_dirty = true;
#endif
}

std::string CategoryTreeCtrl::itemText(TreeItem item) const {
  return fromWx(GetItemText(node(item).wxId));
}

void CategoryTreeCtrl::setItemData(TreeItem item, int data) {
  nodes_.at(item.id()).data = data;
}

int CategoryTreeCtrl::itemData(TreeItem item) const {
  return node(item).data;
}

TreeItem CategoryTreeCtrl::rootItem() const {
  wxTreeItemIdValue cookie;
  return handleOf(GetFirstChild(GetRootItem(), cookie));
}

TreeItem CategoryTreeCtrl::selectedItem() const {
  return handleOf(GetSelection());
}

TreeItem CategoryTreeCtrl::parentItem(TreeItem item) const {
  return handleOf(GetItemParent(node(item).wxId));
}

TreeItem CategoryTreeCtrl::firstChild(TreeItem item) const {
  wxTreeItemIdValue cookie;
  return handleOf(GetFirstChild(node(item).wxId, cookie));
}

TreeItem CategoryTreeCtrl::nextSibling(TreeItem item) const {
  return handleOf(GetNextSibling(node(item).wxId));
}

void CategoryTreeCtrl::expand(TreeItem item) {
  Expand(node(item).wxId);
}

void CategoryTreeCtrl::toggle(TreeItem item) {
  Toggle(node(item).wxId);
}

bool CategoryTreeCtrl::isExpanded(TreeItem item) const {
  return IsExpanded(node(item).wxId);
}

void CategoryTreeCtrl::editLabel(TreeItem item) {
  const wxTreeItemId wxId = node(item).wxId;
  if (editedItem_.IsOk()) discardEdit();
  if (GetSelection() != wxId) SelectItem(wxId);
  EnsureVisible(wxId);
  EditLabel(wxId);
  watchEditControl();
}

void CategoryTreeCtrl::editLabelWithText(TreeItem item, const std::string& text) {
  node(item);
  if (!reportingEditEnd_) {
    startEditWithText(item, text);
    return;
  }
  // The edit being reported is still being taken down.
  CallAfter([this, item, text] {
    if (isAlive(item)) startEditWithText(item, text);
  });
}

void CategoryTreeCtrl::startEditWithText(TreeItem item, const std::string& text) {
  editLabel(item);
  if (wxTextCtrl* edit = GetEditControl()) {
    edit->ChangeValue(toWx(text));
    edit->SetInsertionPointEnd();
  }
}

TreeItem CategoryTreeCtrl::itemAt(Point client) const {
  int flags = 0;
  const wxTreeItemId wxId = HitTest(wxPoint(client.x, client.y), flags);
  const int onLine = wxTREE_HITTEST_ONITEM | wxTREE_HITTEST_ONITEMINDENT |
                     wxTREE_HITTEST_ONITEMBUTTON | wxTREE_HITTEST_ONITEMRIGHT;
  return (flags & onLine) ? handleOf(wxId) : TreeItem();
}

void CategoryTreeCtrl::selectItem(TreeItem item) {
  const wxTreeItemId wxId = node(item).wxId;
  // A click elsewhere ends a running edit, confirmed.
  if (editedItem_.IsOk()) endEditByUser(true);
  if (GetSelection() != wxId) SelectItem(wxId);
}

bool CategoryTreeCtrl::ancestorsExpanded(const wxTreeItemId& wxId) const {
  for (wxTreeItemId at = GetItemParent(wxId); at.IsOk() && at != GetRootItem();
       at = GetItemParent(at)) {
    if (!IsExpanded(at)) return false;
  }
  return true;
}

Rect CategoryTreeCtrl::itemRect(TreeItem item) {
  const wxTreeItemId wxId = node(item).wxId;
  if (!ancestorsExpanded(wxId)) return {};
  ScrollTo(wxId);
  wxRect rect;
  if (!GetBoundingRect(wxId, rect, true)) return {};
  return {rect.GetLeft(), rect.GetTop(), rect.GetRight() + 1, rect.GetBottom() + 1};
}

void CategoryTreeCtrl::discardEdit() {
  discarding_ = true;
  EndEditLabel(editedItem_, true);
  discarding_ = false;
}

void CategoryTreeCtrl::OnInternalIdle() {
  // Left alone, the tree selects an item at idle time whenever none is selected; the editor
  // expects the selection to change only by the user or by its own calls.
  vetoSelectionChanges_ = true;
  wxTreeCtrl::OnInternalIdle();
  vetoSelectionChanges_ = false;
}

void CategoryTreeCtrl::send(const WindowMessage& message) {
  if (sink_ && !quiet_) sink_(message);
}

void CategoryTreeCtrl::onSelChanging(wxTreeEvent& event) {
  if (vetoSelectionChanges_) event.Veto();
}

void CategoryTreeCtrl::onSelChanged(wxTreeEvent& event) {
  send(TreeSelChangedMessage{IDC_TREE_TYPES, handleOf(event.GetOldItem()),
                             handleOf(event.GetItem())});
}

void CategoryTreeCtrl::onBeginLabelEdit(wxTreeEvent& event) {
  editedItem_ = event.GetItem();
  escapePressed_ = false;
  // The edit control is made after this event.
  CallAfter(&CategoryTreeCtrl::watchEditControl);
}

void CategoryTreeCtrl::watchEditControl() {
  wxTextCtrl* edit = GetEditControl();
  if (!edit || edit == watchedEdit_) return;
  watchedEdit_ = edit;
  // The edit control takes Esc itself, before the window sees it; noting it here tells a
  // cancel from an edit confirmed unchanged, which the tree reports the same way.
  edit->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& key) {
    if (key.GetKeyCode() == WXK_ESCAPE) escapePressed_ = true;
    key.Skip();
  });
}

void CategoryTreeCtrl::endEditByUser(bool confirm) {
  if (!editedItem_.IsOk()) return;
  escapePressed_ = !confirm;
  EndEditLabel(editedItem_, !confirm);
}

void CategoryTreeCtrl::onEndLabelEdit(wxTreeEvent& event) {
  // The label is the receiver's to set.
  event.Veto();
  if (!editedItem_.IsOk() || event.GetItem() != editedItem_) return;
  const TreeItem item = handleOf(editedItem_);
  std::optional<std::string> text;
  if (!event.IsEditCancelled()) {
    text = fromWx(event.GetLabel());
  } else if (!escapePressed_ && !discarding_) {
    // The tree reports an edit confirmed without a change as cancelled; it was confirmed.
    text = itemText(item);
  }
  editedItem_.Unset();
  watchedEdit_ = nullptr;
  reportingEditEnd_ = true;
  send(TreeEndLabelEditMessage{IDC_TREE_TYPES, item, text});
  reportingEditEnd_ = false;
}

}  // namespace orvalen::wx
