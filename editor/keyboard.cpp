// What the keyboard and a double click do in the tree, the list and the find box. They reach the
// same commands as the context menus, through the same enabling rules.

#include "editor/orvalen_dlg.h"

namespace orvalen {
namespace {

// Keys of the find box, and keys with Ctrl: the same in the tree and the list.
int CommandOfSharedKey(int controlId, int key, bool shift, bool control) {
  if (key == VK_F3 || (key == VK_RETURN && controlId == IDC_FIND_TEXT)) {
    return control ? 0 : shift ? ID_FIND_PREVIOUS : ID_FIND_NEXT;
  }
  if (!control) return 0;
  if (key == VK_KEY_F) return ID_FIND;
  // In the find box, Ctrl+Z and Ctrl+Y are the text field's own.
  if (controlId == IDC_FIND_TEXT) return 0;
  if (key == VK_KEY_Z) return shift ? ID_EDIT_REDO : ID_EDIT_UNDO;
  if (key == VK_KEY_Y && !shift) return ID_EDIT_REDO;
  return 0;
}

int CommandOfKey(int controlId, int key, bool shift, bool control) {
  const bool inTree = controlId == IDC_TREE_TYPES;
  if (!inTree && controlId != IDC_LIST_ITEMS && controlId != IDC_FIND_TEXT) return 0;
  if (const int shared = CommandOfSharedKey(controlId, key, shift, control)) return shared;
  if (shift || control || controlId == IDC_FIND_TEXT) return 0;
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

bool COrvalenDlg::OnKeyDown(int controlId, int key, bool shift, bool control) {
  const int commandId = CommandOfKey(controlId, key, shift, control);
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
