// The category tree: one root item named after the plugin file (item data -1), and under it
// one item per row of tb_type_list (item data: the category id).

#include <algorithm>
#include <optional>

#include "db/catalogue.h"
#include "db/transaction.h"
#include "editor/category_placement.h"
#include "editor/orvalen_dlg.h"
#include "editor/resources.h"
#include "editor/stored_change.h"
#include "editor/text_refusal.h"
#include "editor/user_texts.h"

namespace orvalen {

void COrvalenDlg::InsertRootItem(std::string::size_type lastSeparator) {
  std::string name = m_strDbPath.substr(lastSeparator + 1);
  std::string::size_type dot = name.find('.');
  if (dot != std::string::npos) name.erase(dot);
  TreeItem root = m_treeTypes->insertItem(TreeItem(), name);
  m_treeTypes->toggle(root);
  m_treeTypes->setItemData(root, -1);
}

// Every category goes under its parent whatever the order of the ids, so that the tree shows
// each row and a delete takes exactly the branch shown. Rows whose parent cannot be shown go
// directly under the root (category_placement.h). Siblings stand in id order.
void COrvalenDlg::LoadTypeTree() {
  TreeItem root = m_treeTypes->rootItem();
  std::vector<int> ids;
  std::vector<std::optional<int>> parentIds;
  std::vector<FileText> names;
  LoadTypeRows(m_db, ids, parentIds, names, m_codePage);

  const CategoryPlacement placement = PlaceCategories(ids, parentIds);
  std::vector<TreeItem> itemOfRow(ids.size());
  for (std::size_t row : placement.insertionOrder) {
    const int parentRow = placement.parentRow[row];
    TreeItem item =
        m_treeTypes->insertItem(parentRow < 0 ? root : itemOfRow[parentRow], names[row].text());
    m_treeTypes->setItemData(item, ids[row]);
    itemOfRow[row] = item;
    if (names[row].hasUndecodableBytes()) m_typeNames[ids[row]] = std::move(names[row]);
  }
  m_treeTypes->expand(root);
}

void COrvalenDlg::OnTypeAdd() {
  TreeItem selected = m_treeTypes->selectedItem();
  // A category whose own row is not written yet cannot take children.
  if (!selected || IsPendingNewType(selected)) return;
  m_bAddingType = true;
  TreeItem item = m_treeTypes->insertItem(selected, text::kNewTypeLabel);
  m_pendingNewTypes.insert(item);
  m_treeTypes->expand(selected);
  m_treeTypes->editLabel(item);
}

void COrvalenDlg::OnTypeModify() {
  TreeItem selected = m_treeTypes->selectedItem();
  // A new category is still in its first edit; starting another would end that one.
  if (!selected || IsPendingNewType(selected)) return;
  m_bAddingType = false;
  m_treeTypes->editLabel(selected);
}

void COrvalenDlg::OnTypeDelete() {
  TreeItem selected = m_treeTypes->selectedItem();
  if (!selected || m_treeTypes->itemData(selected) == -1) return;
  if (!ConfirmDelete()) return;
  DeleteTypeItem(selected);
}

std::vector<TreeItem> COrvalenDlg::CollectSubtree(TreeItem item) const {
  std::vector<TreeItem> preOrder;
  std::vector<TreeItem> stack{item};
  while (!stack.empty()) {
    const TreeItem next = stack.back();
    stack.pop_back();
    preOrder.push_back(next);
    const std::size_t firstChild = stack.size();
    for (TreeItem child = m_treeTypes->firstChild(next); child;
         child = m_treeTypes->nextSibling(child)) {
      stack.push_back(child);
    }
    std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(firstChild), stack.end());
  }
  return preOrder;
}

void COrvalenDlg::RemovePendingNewType(TreeItem item) {
  m_pendingNewTypes.erase(item);
  m_treeTypes->deleteItem(item);
}

// The rows of the whole branch go in one transaction, a category before its descendants;
// the tree items go only once the rows are gone, so a failure leaves both as they were.
void COrvalenDlg::DeleteTypeItem(TreeItem item) {
  if (!item || m_treeTypes->itemData(item) == -1) return;
  if (IsPendingNewType(item)) {
    RemovePendingNewType(item);
    return;
  }
  std::vector<TreeItem> branch = CollectSubtree(item);
  EditStep step;
  {
    std::optional<ScopedBusyCursor> busy;
    if (branch.size() > 1) busy.emplace(m_toolkit);
    step = RunRecorded(StepName(text::kStepDelete, m_treeTypes->itemText(item)),
                       [&](RowChangeRecorder& recorder) {
                         for (TreeItem category : branch) {
                           if (IsPendingNewType(category)) continue;
                           const int id = m_treeTypes->itemData(category);
                           recorder.videosOfCategory(id);
                           recorder.existingRow(CatalogueTable::kCategories, id);
                           DeleteTypeRows(m_db, id);
                         }
                       });
  }
  for (TreeItem category : branch) {
    if (m_pendingNewTypes.erase(category) != 0) continue;
    const int id = m_treeTypes->itemData(category);
    step.shownUnderBefore[id] = ShownUnder(category);
    m_typeNames.erase(id);
  }
  Record(std::move(step));
  m_treeTypes->deleteItem(item);
}

// Which edit ended decides what is stored: an item that OnTypeAdd inserted becomes a new row;
// any other item, also one whose edit the user started directly, is renamed. A name the file
// cannot hold keeps the edit open on it.
void COrvalenDlg::OnTypeEndLabelEdit(const TreeEndLabelEditMessage& notify, long* result) {
  *result = 0;
  bool isNew = m_pendingNewTypes.erase(notify.item) != 0;
  if (!notify.text) {
    if (isNew) m_treeTypes->deleteItem(notify.item);
    return;
  }
  if (!AcceptTypeName(notify.item, *notify.text)) {
    if (isNew) m_pendingNewTypes.insert(notify.item);
    return;
  }
  if (isNew) {
    StoreNewType(notify.item, *notify.text);
  } else {
    RenameType(notify.item, *notify.text);
  }
}

// A name left as it was is written back as it came (a FileText); the root item's label is
// never stored. Every other name must fit the file's code page.
bool COrvalenDlg::AcceptTypeName(TreeItem item, const std::string& name) {
  const bool isRoot = m_treeTypes->itemData(item) == -1;
  if (isRoot || name == m_treeTypes->itemText(item)) return true;
  std::optional<std::string> refusal = RefusalOfText(m_codePage, text::kFieldTypeName, name);
  if (!refusal) return true;
  m_window->messageBox(*refusal, text::kErrorCaption, MB_OK | MB_ICONERROR);
  m_treeTypes->editLabelWithText(item, name);
  return false;
}

void COrvalenDlg::StoreNewType(TreeItem item, const std::string& name) {
  m_treeTypes->setItemText(item, name);
  TreeItem parent = m_treeTypes->parentItem(item);
  int parentId = parent ? m_treeTypes->itemData(parent) : -1;
  int id = 0;
  EditStep step;
  try {
    step = RunRecorded(StepName(text::kStepAdd, name), [&](RowChangeRecorder& recorder) {
      id = InsertTypeRow(m_db, parentId, name, m_codePage);
      recorder.insertedRow(CatalogueTable::kCategories, id);
    });
  } catch (const CppSQLiteException&) {
    m_treeTypes->deleteItem(item);
    throw;
  }
  step.shownUnderAfter[id] = parentId;
  Record(std::move(step));
  m_treeTypes->setItemData(item, id);
  // The list was filled while the item had no id yet; show the new category's own videos.
  if (m_treeTypes->selectedItem() == item) AfterStoring([&] { FillItemList(id); });
}

void COrvalenDlg::RenameType(TreeItem item, const std::string& name) {
  std::string oldLabel = m_treeTypes->itemText(item);
  m_treeTypes->setItemText(item, name);
  int id = m_treeTypes->itemData(item);
  if (id == -1) return;  // the root item has no row: its label lasts until the next opening
  auto stored = m_typeNames.find(id);
  FileText newName = stored != m_typeNames.end() ? stored->second : FileText(oldLabel);
  newName.setText(name);
  try {
    Record(RunRecorded(StepName(text::kStepRename, oldLabel), [&](RowChangeRecorder& recorder) {
      recorder.existingRow(CatalogueTable::kCategories, id);
      UpdateTypeRow(m_db, id, newName, m_codePage);
    }));
  } catch (const CppSQLiteException&) {
    m_treeTypes->setItemText(item, oldLabel);
    throw;
  }
  if (newName.hasUndecodableBytes()) m_typeNames[id] = newName;
}

void COrvalenDlg::OnTypeSelChanged(const TreeSelChangedMessage& notify, long* result) {
  *result = 0;
  // A toolkit that queues its messages may report a selection that has already moved on; the
  // message for the current one follows.
  if (!notify.newItem || notify.newItem != m_treeTypes->selectedItem()) return;
  // The window may have shown the category's videos already (a find, an undo).
  const int id = m_treeTypes->itemData(notify.newItem);
  if (m_listCategoryId != id) FillItemList(id);
}

void COrvalenDlg::OnUpdateTypeAdd(CCmdUI& cmdUI) {
  cmdUI.Enable(m_treeTypes && m_treeTypes->selectedItem());
}

void COrvalenDlg::OnUpdateTypeEdit(CCmdUI& cmdUI) {
  TreeItem selected = m_treeTypes ? m_treeTypes->selectedItem() : TreeItem();
  cmdUI.Enable(selected && m_treeTypes->parentItem(selected));
}

}  // namespace orvalen
