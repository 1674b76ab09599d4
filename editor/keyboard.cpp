// What the keyboard and a double click do in the tree and the list. They reach the same
// commands as the context menus, through the same enabling rules.

#include "editor/orvalen_dlg.h"

namespace orvalen {
namespace {

int CommandOfKey(int controlId, int key) {
  const bool inTree = controlId == IDC_TREE_TYPES;
  if (!inTree && controlId != IDC_LIST_ITEMS) return 0;
  switch (key) {
    case VK_F2:
      return inTree ? ID_TYPE_MODIFY : ID_ITEM_MODIFY;
    case VK_DELETE:
      return inTree ? ID_TYPE_DELETE : ID_ITEM_DELETE;
    case VK_INSERT:
      return inTree ? ID_TYPE_ADD : ID_ITEM_ADD;
    default:
      return 0;
  }
}

}  // namespace

bool COrvalenDlg::OnKeyDown(int controlId, int key) {
  const int commandId = CommandOfKey(controlId, key);
  if (commandId == 0) return false;
  RouteCommand(commandId);
  return true;
}

// A double click opens the details of the video it is on.
void COrvalenDlg::OnListDoubleClick(int row) {
  if (row < 0 || row >= m_listItems->rowCount()) return;
  if (!m_listItems->isRowSelected(row)) m_listItems->selectOnlyRow(row);
  RouteCommand(ID_ITEM_MODIFY);
}

}  // namespace orvalen
