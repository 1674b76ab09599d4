#include "editor/orvalen_dlg.h"
#include "editor/path_separator.h"
#include "editor/plugin_file.h"

namespace orvalen {

COrvalenDlg::COrvalenDlg(Toolkit& toolkit, std::string dbPath)
    : m_hIcon(IDR_MAINFRAME),
      m_strDbPath(std::move(dbPath)),
      m_toolkit(toolkit),
      m_codePage(CodePage::forPluginFiles()) {
  m_db.setBusyObserver(&m_lockWait);
}

COrvalenDlg::~COrvalenDlg() {
  m_db.close();
}

int COrvalenDlg::DoModal() {
  return m_toolkit.runEditorWindow(*this);
}

void COrvalenDlg::attachWindow(EditorWindow* window) {
  m_window = window;
  if (!window) {
    m_treeTypes = nullptr;
    m_listItems = nullptr;
  }
}

void COrvalenDlg::DoDataExchange() {
  m_treeTypes = m_window->hasControl(IDC_TREE_TYPES) ? &m_window->tree() : nullptr;
  m_listItems = m_window->hasControl(IDC_LIST_ITEMS) ? &m_window->list() : nullptr;
}

// The steps run in this order so that the categories load last, when the root item, the open
// file and the list's columns all exist.
bool COrvalenDlg::OnInitDialog() {
  DoDataExchange();
  m_bAddingType = false;
  AddAboutEntryToSystemMenu();
  m_window->setIcon(m_hIcon, true);
  m_window->setIcon(m_hIcon, false);

  std::string::size_type lastSeparator = lastDirectorySeparator(m_strDbPath);
  if (lastSeparator == std::string::npos) return false;
  InsertRootItem(lastSeparator);
  return OpenAndLoadPluginFile();
}

// A file that cannot be opened or read as a plugin file is reported, and the window ends
// before it shows.
bool COrvalenDlg::OpenAndLoadPluginFile() {
  try {
    OpenPluginFile(m_db, m_strDbPath);
    InitItemColumns();
    LoadTypeTree();
    return true;
  } catch (const CppSQLiteException& error) {
    m_db.close();
    m_bOpenFailed = true;
    ReportError(FailedAction::kOpenPluginFile, error);
    m_window->endDialog(IDABORT);
    return false;
  }
}

}  // namespace orvalen
