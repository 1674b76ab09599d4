// The editor window's layout on resize, its context menus, and its icon while minimised.

#include "editor/orvalen_dlg.h"
#include "editor/resources.h"

namespace orvalen {

// The left column keeps a fixed width, the right one takes the rest; both follow the height.
// Sizes go to the toolkit unchanged, negative ones (a minimised window) included.
void COrvalenDlg::OnSize(int, int width, int height) {
  if (!m_treeTypes || !m_window) return;  // sizes that arrive before initialisation
  if (m_window->hasControl(IDC_GROUP_TYPES)) {
    m_window->moveControl(IDC_GROUP_TYPES, 15, 15, 273, height - 15, true);
  }
  m_window->moveControl(IDC_TREE_TYPES, 25, 35, 250, height - 63, true);
  if (m_window->hasControl(IDC_GROUP_ITEMS)) {
    m_window->moveControl(IDC_GROUP_ITEMS, 305, 15, width - 305, height - 15, true);
  }
  m_window->moveControl(IDC_LIST_ITEMS, 315, 35, width - 315, height - 63, true);
}

// The pop-up of the tree or the list, chosen by position alone (the tree first): the
// entries greyed whose rule says disabled, and the about entry at the end.
PopupMenu COrvalenDlg::LoadContextMenu(int popupIndex) {
  PopupMenu menu = LoadMenuPopup(popupIndex);
  for (PopupMenu::Entry& entry : menu.entries) {
    if (entry.commandId != 0) entry.enabled = IsCommandEnabled(entry.commandId);
  }
  std::string about = LoadString(IDS_ABOUTBOX);
  if (!about.empty()) {
    menu.entries.push_back({0, "", true});
    menu.entries.push_back({static_cast<int>(IDM_ABOUTBOX), about, true});
  }
  return menu;
}

void COrvalenDlg::OnContextMenu(int, Point screen) {
  if (!m_window || !m_window->hasControl(IDC_TREE_TYPES) || !m_window->hasControl(IDC_LIST_ITEMS)) {
    return;
  }
  Rect treeRect = m_window->clientRect(IDC_TREE_TYPES);
  Rect listRect = m_window->clientRect(IDC_LIST_ITEMS);
  Point inTree = m_window->screenToClient(IDC_TREE_TYPES, screen);
  Point inList = m_window->screenToClient(IDC_LIST_ITEMS, screen);

  int popupIndex = -1;
  if (PtInRect(treeRect, inTree)) {
    popupIndex = 0;
  } else if (PtInRect(listRect, inList)) {
    popupIndex = 1;
  }
  if (popupIndex < 0) return;
  int commandId = m_window->trackPopupMenu(LoadContextMenu(popupIndex), screen);
  if (commandId != 0) RouteCommand(commandId);
}

bool COrvalenDlg::OnPaint() {
  if (!m_window || !m_window->isIconic()) return false;
  Size icon = m_window->systemIconSize();
  Rect client = m_window->windowClientRect();
  int x = (client.width() - icon.width + 1) / 2;
  int y = (client.height() - icon.height + 1) / 2;
  m_window->drawIcon(m_hIcon, x, y);
  return true;
}

}  // namespace orvalen
