// Dragging the list's selected rows or a tree item onto the tree, with the desktop's own drag
// and drop (GTK's on Linux, OLE's on Windows): the pointer shows whether a drop is allowed
// where it is, as the receiver answers, and the item under it is highlighted.

#include <wx/dataobj.h>
#include <wx/dnd.h>

#include "editor_dialog.h"
#include "list_control.h"
#include "tree_control.h"

namespace orvalen::wx {
namespace {

// The drag carries no data of its own: the window knows what it drags. Its format keeps drops
// from other programs out.
const wxDataFormat& dragFormat() {
  static const wxDataFormat format("application/x-orvalen-catalogue-drag");
  return format;
}

class TreeDropTarget : public wxDropTarget {
 public:
  explicit TreeDropTarget(EditorDialog& window)
      : wxDropTarget(new wxCustomDataObject(dragFormat())), window_(window) {}

  wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult) override {
    return window_.dragOver({x, y}) ? wxDragMove : wxDragNone;
  }
  bool OnDrop(wxCoord x, wxCoord y) override { return window_.dragOver({x, y}); }
  wxDragResult OnData(wxCoord x, wxCoord y, wxDragResult result) override {
    window_.dropAt({x, y});
    return result;
  }
  void OnLeave() override { window_.dragOver({-1, -1}); }

 private:
  EditorDialog& window_;
};

}  // namespace

void EditorDialog::beginDrag(DragKind kind, TreeItem dragged) {
  drag_ = Drag{kind, dragged, TreeItem(), false};
}

// The receiver is asked again only when the pointer reaches another item.
bool EditorDialog::dragOver(Point treeClient) {
  if (!drag_) return false;  // a drag from another program
  const TreeItem target = treeClient.x < 0 ? TreeItem() : tree_->itemAt(treeClient);
  if (target != drag_->target || !target) {
    drag_->target = target;
    drag_->allowed =
        target && deliver(DragOverMessage{drag_->kind, drag_->dragged, target}).value == 1;
  }
  highlightDropTarget(drag_->allowed ? target : TreeItem());
  return drag_->allowed;
}

// The drop is handled once the desktop's drag has ended: the move changes the tree, which
// must not happen under a drag that is still running.
void EditorDialog::dropAt(Point treeClient) {
  if (!dragOver(treeClient)) return;
  const DropMessage drop{drag_->kind, drag_->dragged, drag_->target};
  highlightDropTarget(TreeItem());
  CallAfter([this, drop] { deliver(drop); });
}

void EditorDialog::endDrag() {
  highlightDropTarget(TreeItem());
  drag_.reset();
}

void EditorDialog::highlightDropTarget(TreeItem item) {
  if (item == dropHighlight_) return;
  if (dropHighlight_ && tree_->wxIdOf(dropHighlight_).IsOk()) {
    tree_->SetItemDropHighlight(tree_->wxIdOf(dropHighlight_), false);
  }
  dropHighlight_ = item;
  if (item) tree_->SetItemDropHighlight(tree_->wxIdOf(item), true);
}

void EditorDialog::runDrag(DragKind kind, TreeItem dragged) {
  if (tree_->isEditingLabel()) return;
  beginDrag(kind, dragged);
  wxCustomDataObject data(dragFormat());
  static const char kNoData = 0;
  data.SetData(1, &kNoData);
  wxDropSource source(data, this);
  source.DoDragDrop(wxDrag_DefaultMove);
  endDrag();
}

void EditorDialog::onListBeginDrag(wxListEvent&) {
  if (list_->selectedCount() > 0) runDrag(DragKind::kListRows, TreeItem());
}

void EditorDialog::onTreeBeginDrag(wxTreeEvent& event) {
  const TreeItem item = tree_->handleOf(event.GetItem());
  if (item) runDrag(DragKind::kTreeItem, item);
}

void EditorDialog::bindDragAndDrop() {
  tree_->SetDropTarget(new TreeDropTarget(*this));
  list_->Bind(wxEVT_LIST_BEGIN_DRAG, &EditorDialog::onListBeginDrag, this);
  tree_->Bind(wxEVT_TREE_BEGIN_DRAG, &EditorDialog::onTreeBeginDrag, this);
}

}  // namespace orvalen::wx
