#pragma once

// What the editor's windows do differently on each platform's desktop (editor/wx/msw/ for
// Windows, editor/wx/gtk/ for Linux).

#include <functional>
#include <memory>

#include "editor/toolkit.h"

class wxFileDialog;
class wxTopLevelWindow;
class wxWindow;

namespace orvalen::wx {

// The window's system menu, whose commands come back through dispatch as SysCommandMessages
// while the returned object lives; a command the receiver does not handle gets the default
// handling. Windows has one; Linux window managers give none to extend: nullptr there.
std::unique_ptr<SystemMenu> attachSystemMenu(
    wxTopLevelWindow* window, std::function<MessageResult(const WindowMessage&)> dispatch);

// Gives a dialog the font its template names, before anything is sized in dialog units, so
// that the sizes come out as on the template's own system. On Linux the desktop's UI font
// stays: the templates name Windows fonts.
void useTemplateFont(wxWindow* dialog, const char* utf8Face, int points);

// Gives the window the application's icon (IDR_MAINFRAME) for its title bar and task switcher:
// the icon resource with its sizes on Windows, the program's built-in image on Linux.
void setApplicationIcon(wxTopLevelWindow* window);

// Runs a file dialog modally and returns wxID_OK, with the chosen path in dialog.GetPath(), or
// wxID_CANCEL. On Windows the common dialog is called directly, with no default extension:
// wxWidgets would give a save dialog the filter's extension as its default, and Windows would
// append it to a name typed without one (demo would come back as demo.vdb, and be made
// demo.vdb.vdb). The modal dialog hooks are called as for any wxWidgets dialog.
int showFileDialog(wxFileDialog& dialog);

}  // namespace orvalen::wx
