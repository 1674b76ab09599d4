#include "wx_toolkit.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/utils.h>

#include "about_dialog.h"
#include "editor_dialog.h"
#include "native_window.h"
#include "tree_control.h"
#include "utf8.h"
#include "video_details_dialog.h"

namespace orvalen::wx {
namespace {

// The filter as the editor writes it ("label|pattern||") in wxWidgets' form ("label|pattern").
wxString toWxFilter(const std::string& filter) {
  std::string trimmed = filter;
  while (trimmed.size() >= 2 && trimmed.compare(trimmed.size() - 2, 2, "||") == 0) {
    trimmed.resize(trimmed.size() - 2);
  }
  return toWx(trimmed);
}

}  // namespace

wxWindow* modalParent() {
  // The innermost modal dialog that shows: the editor over the chooser, a dialog over the
  // editor. Window managers need not report an active window.
  for (auto it = wxTopLevelWindows.rbegin(); it != wxTopLevelWindows.rend(); ++it) {
    auto* dialog = dynamic_cast<wxDialog*>(*it);
    if (dialog && dialog->IsShown() && dialog->IsModal()) return dialog;
  }
  if (wxWindow* active = wxGetActiveWindow()) return active;
  return wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}

int WxToolkit::runEditorWindow(EditorWindowClient& client) {
  EditorDialog window(modalParent());
  window.attach(&client);
  client.attachWindow(&window);
  if (editorCreated_) editorCreated_(window);
  const bool focusFirstControl = client.OnInitDialog();
  int code = 0;
  if (const auto ended = window.endedBeforeShowing()) {
    code = *ended;
  } else {
    if (focusFirstControl) window.categoryTree().SetFocus();
    code = window.runModal();
  }
  client.attachWindow(nullptr);
  window.attach(nullptr);
  return code;
}

int WxToolkit::runModalDialog(int templateId, DialogClient& client) {
  if (templateId == IDD_ITEM_DIALOG) {
    VideoDetailsDialog dialog(modalParent(), client);
    return dialog.runModal();
  }
  if (templateId == IDD_ABOUTBOX) {
    AboutDialog dialog(modalParent(), client);
    return dialog.runModal();
  }
  return -1;
}

FileDialogResult WxToolkit::runFileDialog(FileDialogKind kind, const std::string& filter) {
  // No default extension and no file-must-exist check: the path is used as the user gave it.
  const long style = kind == FileDialogKind::kSave ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN;
  const char* title = kind == FileDialogKind::kSave ? "另存为" : "打开";
  wxFileDialog dialog(modalParent(), wxString::FromUTF8(title), wxString(), wxString(),
                      toWxFilter(filter), style);
  if (showFileDialog(dialog) != wxID_OK) return {};
  return {IDOK, fromWx(dialog.GetPath())};
}

void WxToolkit::beginBusyCursor() {
  wxBeginBusyCursor();
}

void WxToolkit::endBusyCursor() {
  wxEndBusyCursor();
}

}  // namespace orvalen::wx
