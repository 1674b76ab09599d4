// The about box: from the system menu where the window has one, from the last entry of both
// context menus, and from F1.

#include "editor/about_dlg.h"
#include "editor/orvalen_dlg.h"
#include "editor/resources.h"

namespace orvalen {

void COrvalenDlg::AddAboutEntryToSystemMenu() {
  SystemMenu* systemMenu = m_window->systemMenu();
  if (!systemMenu) return;
  std::string about = LoadString(IDS_ABOUTBOX);
  if (about.empty()) return;
  systemMenu->appendSeparator();
  systemMenu->appendString(IDM_ABOUTBOX, about);
}

bool COrvalenDlg::OnSysCommand(unsigned code, long) {
  if ((code & 0xFFF0) != IDM_ABOUTBOX) return false;  // the toolkit's default handling
  OnAppAbout();
  return true;
}

void COrvalenDlg::OnAppAbout() {
  CAboutDlg about(m_toolkit);
  about.DoModal();
}

}  // namespace orvalen
