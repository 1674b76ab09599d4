// "导出播放列表..." in the tree's menu: the selected category with its sub-categories (the
// root: the whole file) written as M3U8 or CSV, by the extension chosen, then a summary.
// Nothing is written to the plugin file.

#include <filesystem>

#include "editor/orvalen_dlg.h"
#include "editor/playlist_export.h"
#include "editor/user_texts.h"

namespace orvalen {

void COrvalenDlg::OnTypeExport() {
  const int categoryId = m_treeTypes->itemData(m_treeTypes->selectedItem());
  const FileDialogResult chosen =
      m_toolkit.runFileDialog(FileDialogKind::kSave, text::kPlaylistSaveFilter);
  if (chosen.code != IDOK) return;
  ExportResult result;
  {
    ScopedBusyCursor busy(m_toolkit);
    result = ExportBranch(m_db, categoryId, formats::playlistFormatOf(chosen.path), m_codePage,
                          chosen.path);
  }
  if (!result.written) {
    m_window->messageBox(text::kExportCannotWrite, text::kErrorCaption, MB_OK | MB_ICONERROR);
    return;
  }
  const std::string fileName = std::filesystem::u8path(chosen.path).filename().u8string();
  m_window->messageBox(ExportSummary(result, fileName), text::kExportCaption, MB_OK);
}

void COrvalenDlg::OnUpdateTypeExport(CCmdUI& cmdUI) {
  cmdUI.Enable(m_treeTypes && m_treeTypes->selectedItem() && m_pendingNewTypes.empty());
}

}  // namespace orvalen
