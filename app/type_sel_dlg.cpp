#include "type_sel_dlg.h"

#include <utility>

#include <wx/button.h>

#include "editor/failure_message.h"
#include "editor/resource_ids.h"
#include "editor/user_texts.h"
#include "editor/wx/dialog_units.h"
#include "editor/wx/message_box.h"
#include "editor/wx/native_window.h"
#include "exclusive_copy.h"
#include "executable_path.h"
#include "file_system.h"
#include "plugin_paths.h"

namespace orvalen::app {
namespace {

std::string oneALine(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += "\n" + path;
  return text;
}

void addChoiceButton(wxDialog* dialog, int id, const char* utf8Label, int y,
                     void (CTypeSelDlg::*handler)(), CTypeSelDlg* chooser) {
  const wxRect rect = wx::dialogUnitsToPixels(dialog, 29, y, 199, 24);
  auto* button =
      new wxButton(dialog, id, wxString::FromUTF8(utf8Label), rect.GetPosition(), rect.GetSize());
  button->Bind(wxEVT_BUTTON, [chooser, handler](wxCommandEvent&) { (chooser->*handler)(); });
}

}  // namespace

CTypeSelDlg::CTypeSelDlg(Toolkit& toolkit, EditorRunner runEditor, TemplateLocations templates)
    : wxDialog(nullptr, wxID_ANY, wxString::FromUTF8(text::kChooserCaption), wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      toolkit_(toolkit),
      runEditor_(std::move(runEditor)),
      templates_(std::move(templates)) {
  wx::useTemplateFont(this, "宋体", 9);
  wx::setApplicationIcon(this);
  wx::setClientSizeInDialogUnits(this, 258, 121);
  addChoiceButton(this, IDC_BTN_NEW, text::kChooserNewPlugin, 30, &CTypeSelDlg::OnNewPlugin, this);
  addChoiceButton(this, IDC_BTN_OPEN, text::kChooserOpenPlugin, 66, &CTypeSelDlg::OnOpenPlugin,
                  this);
  // Neither button is a default button; Esc and the close box end the chooser cancelled.
  SetAffirmativeId(wxID_NONE);
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& key) {
    if (key.GetKeyCode() == WXK_ESCAPE) {
      EndModal(wxID_CANCEL);
      return;
    }
    key.Skip();
  });
  Centre();
}

void CTypeSelDlg::OnNewPlugin() {
  const std::string chosen = choosePluginFile(FileDialogKind::kSave);
  if (chosen.empty()) return;
  const std::string path = newPluginPath(chosen);
  const std::string exePath = executablePath();
  if (directoryOf(exePath).empty()) return;

  bool existedBefore = pathExists(path);
  // An existing file of that name is opened as it is, without a template.
  if (!existedBefore) {
    const std::vector<std::string> candidates =
        templateCandidates(exePath, templates_.dataDirFromExe, templates_.installedDataDir);
    const std::string templatePath = firstExistingFile(candidates);
    if (templatePath.empty()) {
      reportCreateFailure(
          FailureKind::kMissingTemplate, path,
          std::string(kTemplateFileName) + " is in none of:" + oneALine(candidates));
      return;
    }
    switch (copyToNewFile(templatePath, path)) {
      case CopyOutcome::kCopied:
        break;
      case CopyOutcome::kTargetExists:
        existedBefore = true;  // made by someone else meanwhile: never ours to remove
        break;
      case CopyOutcome::kSourceUnreadable:
        reportCreateFailure(FailureKind::kMissingTemplate, path, templatePath + " cannot be read");
        return;
      case CopyOutcome::kTargetUnwritable:
        reportCreateFailure(FailureKind::kCannotCreateFile, path, path + " cannot be written");
        return;
    }
  }
  editAndEnd(path, existedBefore);
}

// The user stays at the chooser, with nothing made.
void CTypeSelDlg::reportCreateFailure(FailureKind kind, const std::string& path,
                                      const std::string& detail) {
  wx::showMessageBox(this,
                     FailureMessage(FailedAction::kCreatePluginFile, kind, detail.c_str(), path),
                     text::kErrorCaption, MB_OK | MB_ICONERROR);
}

void CTypeSelDlg::OnOpenPlugin() {
  const std::string path = choosePluginFile(FileDialogKind::kOpen);
  if (path.empty()) return;
  editAndEnd(path, pathExists(path));
}

std::string CTypeSelDlg::choosePluginFile(FileDialogKind kind) {
  const FileDialogResult chosen = toolkit_.runFileDialog(kind, text::kPluginFileFilter);
  return chosen.code == IDOK ? chosen.path : std::string();
}

void CTypeSelDlg::editAndEnd(const std::string& path, bool existedBefore) {
  if (runEditor_(path)) {
    EndModal(wxID_OK);
    return;
  }
  if (!existedBefore) removeFile(path);
}

}  // namespace orvalen::app
