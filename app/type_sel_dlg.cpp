#include "type_sel_dlg.h"

#include <utility>

#include <wx/button.h>

#include "editor/resource_ids.h"
#include "editor/wx/dialog_units.h"
#include "editor/wx/native_window.h"
#include "exclusive_copy.h"
#include "executable_path.h"
#include "file_system.h"
#include "plugin_paths.h"

namespace orvalen::app {
namespace {

void addChoiceButton(wxDialog* dialog, int id, const char* utf8Label, int y,
                     void (CTypeSelDlg::*handler)(), CTypeSelDlg* chooser) {
  const wxRect rect = wx::dialogUnitsToPixels(dialog, 29, y, 199, 24);
  auto* button =
      new wxButton(dialog, id, wxString::FromUTF8(utf8Label), rect.GetPosition(), rect.GetSize());
  button->Bind(wxEVT_BUTTON, [chooser, handler](wxCommandEvent&) { (chooser->*handler)(); });
}

}  // namespace

CTypeSelDlg::CTypeSelDlg(Toolkit& toolkit, EditorRunner runEditor, TemplateLocations templates)
    : wxDialog(nullptr, wxID_ANY, wxString::FromUTF8("类型选择"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      toolkit_(toolkit),
      runEditor_(std::move(runEditor)),
      templates_(std::move(templates)) {
  wx::useTemplateFont(this, "宋体", 9);
  wx::setClientSizeInDialogUnits(this, 258, 121);
  addChoiceButton(this, IDC_BTN_NEW, "设计一个新的视频扩展插件", 30, &CTypeSelDlg::OnNewPlugin,
                  this);
  addChoiceButton(this, IDC_BTN_OPEN, "修改已经存在的视频扩展插件", 66, &CTypeSelDlg::OnOpenPlugin,
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
  const std::string templatePath = firstExistingFile(
      templateCandidates(exePath, templates_.dataDirFromExe, templates_.installedDataDir));
  // An existing file of that name is opened as it is; a missing template leaves no file, and
  // the editor then reports that there is no plugin file to open.
  if (!templatePath.empty() && copyToNewFile(templatePath, path) == CopyOutcome::kTargetExists) {
    existedBefore = true;  // made by someone else meanwhile: never ours to remove
  }
  editAndEnd(path, existedBefore);
}

void CTypeSelDlg::OnOpenPlugin() {
  const std::string path = choosePluginFile(FileDialogKind::kOpen);
  if (path.empty()) return;
  editAndEnd(path, pathExists(path));
}

std::string CTypeSelDlg::choosePluginFile(FileDialogKind kind) {
  const FileDialogResult chosen = toolkit_.runFileDialog(kind, "视频扩展插件 (*.vdb)|*.vdb||");
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
