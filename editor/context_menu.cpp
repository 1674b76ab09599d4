// The context menus of the tree and the list. A right click opens the menu of the control it
// is on and first selects what it is on, so that the commands act on what the user pointed
// at: the tree item, or the list row (on a row already selected, the selection stays; on
// empty space it stays as it is). From the keyboard the menu opens for the focused control,
// at its selected item.

#include "editor/orvalen_dlg.h"
#include "editor/resources.h"

namespace orvalen {
namespace {

constexpr int kTreePopup = 0;
constexpr int kListPopup = 1;

}  // namespace

// The pop-up with the entries greyed whose rule says disabled, and the about entry at the end.
PopupMenu COrvalenDlg::LoadContextMenu(int popupIndex) {
  PopupMenu menu = LoadMenuPopup(popupIndex);
  for (PopupMenu::Entry& entry : menu.entries) {
    if (entry.commandId == 0) continue;
    entry.enabled = IsCommandEnabled(entry.commandId);
    if (entry.commandId == ID_EDIT_UNDO || entry.commandId == ID_EDIT_REDO) {
      entry.text = HistoryMenuText(entry.commandId);
    }
  }
  std::string about = LoadString(IDS_ABOUTBOX);
  if (!about.empty()) {
    menu.entries.push_back({0, "", true});
    menu.entries.push_back({static_cast<int>(IDM_ABOUTBOX), about, true});
  }
  return menu;
}

int COrvalenDlg::PopupOfControl(int controlId) const {
  if (controlId == IDC_TREE_TYPES) return kTreePopup;
  if (controlId == IDC_LIST_ITEMS) return kListPopup;
  return -1;
}

// By position alone, the tree first; the list's client area includes its header.
int COrvalenDlg::PopupAtPosition(Point screen) const {
  if (PtInRect(m_window->clientRect(IDC_TREE_TYPES),
               m_window->screenToClient(IDC_TREE_TYPES, screen))) {
    return kTreePopup;
  }
  if (PtInRect(m_window->clientRect(IDC_LIST_ITEMS),
               m_window->screenToClient(IDC_LIST_ITEMS, screen))) {
    return kListPopup;
  }
  return -1;
}

void COrvalenDlg::SelectWhatIsUnder(int popupIndex, Point screen) {
  if (popupIndex == kTreePopup) {
    TreeItem item = m_treeTypes->itemAt(m_window->screenToClient(IDC_TREE_TYPES, screen));
    // The selection change refills the list before the menu shows.
    if (item && item != m_treeTypes->selectedItem()) m_treeTypes->selectItem(item);
    return;
  }
  int row = m_listItems->rowAt(m_window->screenToClient(IDC_LIST_ITEMS, screen));
  if (row >= 0 && !m_listItems->isRowSelected(row)) m_listItems->selectOnlyRow(row);
}

// Below the left end of the selected item, or at the control's top left without one.
Point COrvalenDlg::KeyboardMenuPosition(int popupIndex) {
  const int controlId = popupIndex == kTreePopup ? IDC_TREE_TYPES : IDC_LIST_ITEMS;
  Rect item;
  if (popupIndex == kTreePopup) {
    if (TreeItem selected = m_treeTypes->selectedItem()) item = m_treeTypes->itemRect(selected);
  } else if (int row = m_listItems->firstSelectedRow(); row >= 0) {
    item = m_listItems->rowRect(row);
  }
  const Point corner = item.width() > 0 ? Point{item.left, item.bottom} : Point{0, 0};
  return m_window->clientToScreen(controlId, corner);
}

void COrvalenDlg::OnContextMenu(int controlId, Point screen) {
  if (!m_window || !m_treeTypes || !m_listItems) return;
  const bool fromKeyboard = screen.x == -1 && screen.y == -1;
  const int popupIndex = fromKeyboard ? PopupOfControl(controlId) : PopupAtPosition(screen);
  if (popupIndex < 0) return;
  if (fromKeyboard) {
    screen = KeyboardMenuPosition(popupIndex);
  } else {
    Guarded(FailedAction::kRead, [&] { SelectWhatIsUnder(popupIndex, screen); });
  }
  int commandId = m_window->trackPopupMenu(LoadContextMenu(popupIndex), screen);
  if (commandId != 0) RouteCommand(commandId);
}

}  // namespace orvalen
