#include "editor/wx/native_window.h"

#include <map>

#include <wx/filedlg.h>
#include <wx/font.h>
#include <wx/iconbndl.h>
#include <wx/modalhook.h>
#include <wx/toplevel.h>

#include "editor/wx/msw/win32_file_dialog.h"
#include "editor/wx/msw/win32_menu.h"
#include "editor/wx/utf8.h"

namespace orvalen::wx {
namespace {

using Dispatch = std::function<MessageResult(const WindowMessage&)>;

// wxWidgets takes one handler per message for all windows, so the handler looks up here
// which windows' system commands go to an editor.
std::map<wxWindow*, Dispatch>& routedWindows() {
  static std::map<wxWindow*, Dispatch> windows;
  return windows;
}

bool onSystemCommand(wxWindow* window, WXUINT, WXWPARAM code, WXLPARAM param) {
  const auto found = routedWindows().find(window);
  if (found == routedWindows().end()) return false;
  const SysCommandMessage command{static_cast<unsigned>(code), static_cast<long>(param)};
  return found->second(command).handled;
}

class NativeSystemMenu : public SystemMenu {
 public:
  NativeSystemMenu(wxTopLevelWindow* window, Dispatch dispatch) : window_(window) {
    if (routedWindows().empty())
      wxWindow::MSWRegisterMessageHandler(win32::systemCommandMessage(), onSystemCommand);
    routedWindows()[window] = std::move(dispatch);
  }
  ~NativeSystemMenu() override {
    routedWindows().erase(window_);
    if (routedWindows().empty())
      wxWindow::MSWUnregisterMessageHandler(win32::systemCommandMessage(), onSystemCommand);
  }
  NativeSystemMenu(const NativeSystemMenu&) = delete;
  NativeSystemMenu& operator=(const NativeSystemMenu&) = delete;

  void appendSeparator() override { win32::appendSystemMenuSeparator(window_->GetHWND()); }
  void appendString(unsigned commandId, const std::string& text) override {
    win32::appendSystemMenuString(window_->GetHWND(), commandId, toWx(text).ToStdWstring());
  }

 private:
  wxTopLevelWindow* window_;
};

}  // namespace

std::unique_ptr<SystemMenu> attachSystemMenu(wxTopLevelWindow* window, Dispatch dispatch) {
  if (!win32::hasSystemMenu(window->GetHWND())) return nullptr;
  return std::make_unique<NativeSystemMenu>(window, std::move(dispatch));
}

void useTemplateFont(wxWindow* dialog, const char* utf8Face, int points) {
  dialog->SetFont(wxFontInfo(points).FaceName(wxString::FromUTF8(utf8Face)));
}

void setApplicationIcon(wxTopLevelWindow* window) {
  // Resource 128 holds the icon at several sizes; Windows picks one for each place.
  window->SetIcons(wxIconBundle("#128", nullptr));
}

int showFileDialog(wxFileDialog& dialog) {
  const int hooked = wxModalDialogHook::CallEnter(&dialog);
  if (hooked != wxID_NONE) return hooked;
  wxModalDialogHookExitGuard exitGuard(&dialog);
  wxWindow* owner = dialog.GetParent();
  std::wstring filter = dialog.GetWildcard().ToStdWstring();
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  std::wstring path;
  const bool chosen =
      win32::chooseFile(owner ? owner->GetHWND() : nullptr, dialog.HasFlag(wxFD_SAVE),
                        dialog.GetMessage().ToStdWstring(), filter, &path);
  if (!chosen) return wxID_CANCEL;
  dialog.SetPath(wxString(path));
  return wxID_OK;
}

}  // namespace orvalen::wx
