// The editor window's layout on resize and its icon while minimised.

#include "editor/orvalen_dlg.h"

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
