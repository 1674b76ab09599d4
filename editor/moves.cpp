// Moving videos into another category and categories under another parent: by dragging them
// onto an item of the tree, or with "移动到..." and its dialog. Each move is one transaction
// and one undo step. A category never goes into its own branch; a move to where the thing
// already is does nothing.

#include "db/catalogue.h"
#include "editor/orvalen_dlg.h"
#include "editor/user_texts.h"

namespace orvalen {

// The tree's items in tree order without leaveOut's branch, the selection on the category
// shown in the list (or on leaveOut's parent).
CategoryChoice COrvalenDlg::ChoiceOfCategories(TreeItem leaveOut, const char* caption) const {
  CategoryChoice choice;
  choice.caption = caption;
  choice.selectedId = leaveOut ? ShownUnder(leaveOut) : m_listCategoryId.value_or(-1);
  std::vector<std::pair<TreeItem, int>> stack{{m_treeTypes->rootItem(), 0}};
  while (!stack.empty()) {
    const auto [item, depth] = stack.back();
    stack.pop_back();
    if (!item || item == leaveOut || IsPendingNewType(item)) continue;
    choice.entries.push_back({m_treeTypes->itemData(item), m_treeTypes->itemText(item), depth});
    std::vector<std::pair<TreeItem, int>> children;
    for (TreeItem child = m_treeTypes->firstChild(item); child;
         child = m_treeTypes->nextSibling(child)) {
      children.emplace_back(child, depth + 1);
    }
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return choice;
}

std::vector<int> COrvalenDlg::SelectedVideoIds() const {
  std::vector<int> ids;
  for (int row = m_listItems->firstSelectedRow(); row >= 0 && row < m_listItems->rowCount();
       ++row) {
    if (m_listItems->isRowSelected(row)) ids.push_back(m_listItems->rowData(row));
  }
  return ids;
}

void COrvalenDlg::OnItemMove() {
  const std::vector<int> ids = SelectedVideoIds();
  if (ids.empty()) return;
  const CategoryChoiceResult chosen =
      m_toolkit.runCategoryDialog(ChoiceOfCategories(TreeItem(), text::kMoveItemsCaption));
  if (chosen.code == IDOK) MoveVideos(ids, chosen.id);
}

void COrvalenDlg::OnTypeMove() {
  const TreeItem item = m_treeTypes->selectedItem();
  if (!item || !m_treeTypes->parentItem(item) || IsPendingNewType(item)) return;
  const CategoryChoiceResult chosen =
      m_toolkit.runCategoryDialog(ChoiceOfCategories(item, text::kMoveTypeCaption));
  if (chosen.code != IDOK) return;
  const std::unordered_map<int, TreeItem> items = ItemsById();
  const auto target = items.find(chosen.id);
  if (target != items.end() && AllowsDrop(DragKind::kTreeItem, item, target->second)) {
    MoveCategory(item, target->second);
  }
}

void COrvalenDlg::OnUpdateTypeMove(CCmdUI& cmdUI) {
  const TreeItem selected = m_treeTypes ? m_treeTypes->selectedItem() : TreeItem();
  cmdUI.Enable(selected && m_treeTypes->parentItem(selected) && m_pendingNewTypes.empty());
}

void COrvalenDlg::OnUpdateItemMove(CCmdUI& cmdUI) {
  cmdUI.Enable(m_listItems && m_listItems->selectedCount() > 0 && m_listCategoryId &&
               m_pendingNewTypes.empty());
}

// Videos go onto any category but the one the list shows them in; a category onto any item
// outside its own branch but its parent. Items still waiting for their name take nothing.
bool COrvalenDlg::AllowsDrop(DragKind kind, TreeItem dragged, TreeItem target) {
  if (!m_treeTypes || !target || !m_pendingNewTypes.empty()) return false;
  const int targetId = m_treeTypes->itemData(target);
  if (kind == DragKind::kListRows) {
    return m_listItems->selectedCount() > 0 && m_listCategoryId && targetId != *m_listCategoryId;
  }
  if (!dragged || !m_treeTypes->parentItem(dragged)) return false;
  if (m_treeTypes->parentItem(dragged) == target) return false;
  for (TreeItem at = target; at; at = m_treeTypes->parentItem(at)) {
    if (at == dragged) return false;
  }
  return true;
}

void COrvalenDlg::OnDrop(DragKind kind, TreeItem dragged, TreeItem target) {
  if (!AllowsDrop(kind, dragged, target)) return;
  if (kind == DragKind::kListRows) {
    MoveVideos(SelectedVideoIds(), m_treeTypes->itemData(target));
  } else {
    MoveCategory(dragged, target);
  }
}

// The moved videos leave the list, which goes on showing the same category.
void COrvalenDlg::MoveVideos(const std::vector<int>& ids, int typeId) {
  if (ids.empty() || !m_listCategoryId || typeId == *m_listCategoryId) return;
  const int row = m_listItems->firstSelectedRow();
  const std::string firstName = row >= 0 ? m_listItems->rowText(row, 1) : std::string();
  Record(RunRecorded(StepNameForVideos(text::kStepMove, ids.size(), firstName),
                     [&](RowChangeRecorder& recorder) {
                       recorder.existingRows(CatalogueTable::kVideos, ids);
                       for (int id : ids) MoveItemRow(m_db, id, typeId);
                     }));
  RemoveItemRows(std::unordered_set<int>(ids.begin(), ids.end()));
}

// One UPDATE of the category's parent id moves its whole branch and its videos. The tree
// shows it under its new parent, in id order, still selected if it was.
void COrvalenDlg::MoveCategory(TreeItem item, TreeItem newParent) {
  const int id = m_treeTypes->itemData(item);
  const int parentId = m_treeTypes->itemData(newParent);
  EditStep step = RunRecorded(StepName(text::kStepMove, m_treeTypes->itemText(item)),
                              [&](RowChangeRecorder& recorder) {
                                recorder.existingRow(CatalogueTable::kCategories, id);
                                MoveTypeRow(m_db, id, parentId);
                              });
  step.shownUnderBefore[id] = ShownUnder(item);
  step.shownUnderAfter[id] = parentId;
  Record(std::move(step));
  m_treeTypes->expand(newParent);
  MoveBranch(item, newParent);
}

}  // namespace orvalen
