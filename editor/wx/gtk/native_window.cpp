#include "editor/wx/native_window.h"

#include <wx/filedlg.h>
#include <wx/toplevel.h>

#include "editor/wx/app_icon.h"

namespace orvalen::wx {

std::unique_ptr<SystemMenu> attachSystemMenu(wxTopLevelWindow*,
                                             std::function<MessageResult(const WindowMessage&)>) {
  return nullptr;
}

void useTemplateFont(wxWindow*, const char*, int) {}

void setApplicationIcon(wxTopLevelWindow* window) {
  // One image serves as both; the desktop scales it for each place it shows.
  window->SetIcon(appIcon());
}

int showFileDialog(wxFileDialog& dialog) {
  return dialog.ShowModal();
}

}  // namespace orvalen::wx
