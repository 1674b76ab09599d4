// Answers through Win32: a pop-up menu runs its own modal loop inside TrackPopupMenu, and the
// common file dialogs theirs inside GetOpenFileName; neither runs wxWidgets' idle work.

#include <wx/filedlg.h>
#include <wx/menu.h>

#include "editor/wx/utf8.h"
#include "tests/gui/msw/win32_calls.h"
#include "tests/gui/native_user.h"

namespace orvalen::test {

// The choice is posted as the command a click sends, and the menu told to close; wxWidgets
// takes the command as the menu's answer once TrackPopupMenu returns.
void chooseFromOpeningMenu(wxWindow* owner, wxMenu* menu, int itemId) {
  const bool choosable = itemId != wxID_NONE && menu->FindItem(itemId) && menu->IsEnabled(itemId);
  if (choosable) win32::postMenuCommand(owner->GetHWND(), itemId);
  win32::closeMenu();
}

// The native dialog is not shown: its answer is given as the user would have left it.
int answerFileDialog(wxFileDialog* dialog, bool confirm, const std::string& path) {
  if (!confirm) return wxID_CANCEL;
  dialog->SetPath(wx::toWx(path));
  return wxID_OK;
}

bool sendSystemCommand(wxWindow* window, unsigned code) {
  win32::sendSystemCommand(window->GetHWND(), code);
  return true;
}

std::optional<std::string> systemMenuEntry(wxWindow* window, unsigned commandId) {
  const std::optional<std::wstring> text = win32::systemMenuEntry(window->GetHWND(), commandId);
  if (!text) return std::nullopt;
  return wx::fromWx(wxString(*text));
}

// wxWidgets makes its key events on Windows in a keyboard hook, which sees input from the
// keyboard's queue only. Keys posted as messages never reach it, and under Wine (without a
// window manager) keys made with SendInput did not either; so no real key is pressed here,
// and the cases that need one are skipped.
bool pressRealKey(wxWindow*, int, bool) {
  return false;
}

// The list view handles the double click's message itself (activating the row).
void doubleClickAt(wxWindow* window, const wxPoint& screen) {
  const wxPoint at = window->ScreenToClient(screen);
  win32::sendDoubleClick(window->GetHWND(), at.x, at.y);
}

}  // namespace orvalen::test
