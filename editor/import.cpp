// "导入播放列表..." in the tree's menu: a playlist read into the selected category, after a
// summary of what it will add and what it cannot take, as one step of the history. Reading and
// writing show progress once they take a while; a cancel in either leaves the file as it was.

#include <algorithm>
#include <filesystem>

#include "editor/orvalen_dlg.h"
#include "editor/playlist_import.h"
#include "editor/progress_feedback.h"
#include "editor/user_texts.h"
#include "editor/whole_file.h"

namespace orvalen {
namespace {

std::string fileNameOf(const std::string& utf8Path) {
  return std::filesystem::u8path(utf8Path).filename().u8string();
}

}  // namespace

void COrvalenDlg::OnTypeImport() {
  const TreeItem target = m_treeTypes->selectedItem();
  const int targetId = m_treeTypes->itemData(target);
  const FileDialogResult chosen =
      m_toolkit.runFileDialog(FileDialogKind::kOpen, text::kPlaylistOpenFilter);
  if (chosen.code != IDOK) return;
  std::optional<std::string> bytes = ReadWholeFile(chosen.path);
  if (!bytes) {
    m_window->messageBox(text::kImportCannotRead, text::kErrorCaption, MB_OK | MB_ICONERROR);
    return;
  }
  std::optional<ImportPlan> plan;
  {
    ProgressFeedback progress(m_toolkit, text::kImportCaption, text::kImportReading,
                              m_progressDelay);
    plan = ReadImportPlan(chosen.path, std::move(*bytes), m_codePage, std::ref(progress));
  }
  if (!plan || !ConfirmImport(*plan, targetId)) return;
  ImportPlanned(*plan, targetId, fileNameOf(chosen.path));
}

bool COrvalenDlg::ConfirmImport(const ImportPlan& plan, int targetId) {
  const std::vector<std::optional<int>> existing =
      ExistingCategories(m_db, targetId, plan, m_codePage);
  const auto newCategories =
      static_cast<std::size_t>(std::count(existing.begin(), existing.end(), std::nullopt));
  const std::string summary = ImportSummary(plan, newCategories);
  if (plan.videos.empty() && newCategories == 0) {
    m_window->messageBox(summary, text::kImportCaption, MB_OK);
    return false;
  }
  return m_window->messageBox(summary, text::kImportCaption, MB_OKCANCEL) == IDOK;
}

void COrvalenDlg::ImportPlanned(const ImportPlan& plan, int targetId, const std::string& name) {
  EditStep step;
  try {
    ProgressFeedback progress(m_toolkit, text::kImportCaption, text::kImportWriting,
                              m_progressDelay);
    step = RunRecorded(StepName(text::kStepImport, name), [&](RowChangeRecorder& recorder) {
      WriteImport(m_db, recorder, targetId, plan, m_codePage, std::ref(progress));
    });
  } catch (const ImportCancelled&) {
    return;
  }
  if (step.rows.empty()) return;
  // An undo leaves the target selected, where the first new category showed.
  for (const RowChange& change : step.rows) {
    if (change.table == CatalogueTable::kCategories && change.after) {
      step.shownUnderAfter[change.id] = change.after->parentId().value_or(-1);
    }
  }
  Record(std::move(step));
  m_lastMatch.reset();
  AfterStoring([&] { ShowStep(*m_history.toUndo(), ChangeSide::kAfter); });
}

void COrvalenDlg::OnUpdateTypeImport(CCmdUI& cmdUI) {
  cmdUI.Enable(m_treeTypes && m_treeTypes->selectedItem() && m_pendingNewTypes.empty());
}

}  // namespace orvalen
