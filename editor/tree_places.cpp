// Where categories stand in the tree: finding items by id, putting an item among its siblings
// in id order as loading the file would, moving a branch, and showing an item.

#include <unordered_set>

#include "editor/orvalen_dlg.h"

namespace orvalen {

std::unordered_map<int, TreeItem> COrvalenDlg::ItemsById() const {
  std::unordered_map<int, TreeItem> items;
  const TreeItem root = m_treeTypes->rootItem();
  if (!root) return items;
  for (TreeItem item : CollectSubtree(root)) items.emplace(m_treeTypes->itemData(item), item);
  return items;
}

TreeItem COrvalenDlg::ItemOrRoot(const std::unordered_map<int, TreeItem>& items, int id) const {
  const auto found = items.find(id);
  return found != items.end() ? found->second : m_treeTypes->rootItem();
}

int COrvalenDlg::ShownUnder(TreeItem item) const {
  const TreeItem parent = m_treeTypes->parentItem(item);
  return parent ? m_treeTypes->itemData(parent) : -1;
}

TreeItem COrvalenDlg::InsertInIdOrder(TreeItem parent, int id, const std::string& label) {
  TreeItem previous;
  for (TreeItem child = m_treeTypes->firstChild(parent); child;
       child = m_treeTypes->nextSibling(child)) {
    if (m_treeTypes->itemData(child) > id) break;
    previous = child;
  }
  const TreeItem item = m_treeTypes->insertItemAfter(parent, previous, label);
  m_treeTypes->setItemData(item, id);
  return item;
}

// The tree cannot move an item: the branch is copied under its new parent, its items as
// they were (labels, data, which were expanded), and the old one deleted. A selection inside
// it moves to the copy first, so that deleting the old branch sends nothing.
TreeItem COrvalenDlg::MoveBranch(TreeItem item, TreeItem newParent) {
  const TreeItem selected = m_treeTypes->selectedItem();
  TreeItem copyOfSelected;
  TreeItem top;
  std::vector<TreeItem> expanded;
  std::vector<std::pair<TreeItem, TreeItem>> toCopy{{item, newParent}};  // old item, new parent
  while (!toCopy.empty()) {
    const auto [old, parent] = toCopy.back();
    toCopy.pop_back();
    const std::string label = m_treeTypes->itemText(old);
    const int id = m_treeTypes->itemData(old);
    TreeItem copy;
    if (top) {
      copy = m_treeTypes->insertItem(parent, label);
      m_treeTypes->setItemData(copy, id);
    } else {
      copy = top = InsertInIdOrder(parent, id, label);
    }
    if (old == selected) copyOfSelected = copy;
    if (m_treeTypes->isExpanded(old)) expanded.push_back(copy);
    std::vector<std::pair<TreeItem, TreeItem>> children;
    for (TreeItem child = m_treeTypes->firstChild(old); child;
         child = m_treeTypes->nextSibling(child)) {
      children.emplace_back(child, copy);
    }
    toCopy.insert(toCopy.end(), children.rbegin(), children.rend());
  }
  for (TreeItem copy : expanded) m_treeTypes->expand(copy);
  if (copyOfSelected) {
    m_treeTypes->expand(newParent);
    m_treeTypes->selectItem(copyOfSelected);
  }
  m_treeTypes->deleteItem(item);
  return top;
}

void COrvalenDlg::ShowCategory(TreeItem item, bool refill) {
  for (TreeItem parent = m_treeTypes->parentItem(item); parent;
       parent = m_treeTypes->parentItem(parent)) {
    if (!m_treeTypes->isExpanded(parent)) m_treeTypes->expand(parent);
  }
  if (refill) m_listCategoryId.reset();
  if (m_treeTypes->selectedItem() != item) m_treeTypes->selectItem(item);
  // Asking where the item shows scrolls the tree to it.
  m_treeTypes->itemRect(item);
  // A toolkit that queues its messages has not refilled the list yet.
  const int id = m_treeTypes->itemData(item);
  if (m_listCategoryId != id) FillItemList(id);
}

// Selects the rows of these videos and scrolls to the first of them.
void COrvalenDlg::ShowRows(const std::vector<int>& videoIds) {
  const std::unordered_set<int> wanted(videoIds.begin(), videoIds.end());
  std::vector<int> rows;
  for (int row = 0; row < m_listItems->rowCount(); ++row) {
    if (wanted.count(m_listItems->rowData(row)) != 0) rows.push_back(row);
  }
  m_listItems->selectRows(rows);
  if (!rows.empty()) m_listItems->rowRect(rows.front());
}

}  // namespace orvalen
