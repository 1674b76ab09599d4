#pragma once

// What a user does with the toolkit's native pieces, which differ between the desktops:
// gtk/native_user.cpp clicks through GTK, msw/native_user.cpp through Win32.

#include <optional>
#include <string>

class wxFileDialog;
class wxMenu;
class wxPoint;
class wxWindow;

namespace orvalen::test {

// Called while the pop-up menu opens (its open event): once it shows, picks the entry itemId,
// or closes the menu without a choice when itemId is wxID_NONE or the entry is greyed.
void chooseFromOpeningMenu(wxWindow* owner, wxMenu* menu, int itemId);

// Answers a file dialog that is about to show, naming path and confirming, or cancelling.
// Returns what the modal dialog hook answers: wxID_NONE when the dialog shows and is answered
// in it, else the dialog's result without showing it.
int answerFileDialog(wxFileDialog* dialog, bool confirm, const std::string& path);

// Sends the window a system command, as choosing an entry of its system menu does (WM_SYSCOMMAND
// with code). False where windows have no system menu of the program's (Linux).
bool sendSystemCommand(wxWindow* window, unsigned code);

// The text of the window's system-menu entry with that command, or nothing.
std::optional<std::string> systemMenuEntry(wxWindow* window, unsigned commandId);

// Presses a key (WXK_F2, WXK_DELETE, WXK_INSERT, WXK_MENU or WXK_F10), with Shift if asked,
// for the control that has the keyboard focus: the press waits in the queue of input until
// events are handled. False where such input cannot be made.
bool pressRealKey(wxWindow* control, int keyCode, bool shift);

// Double-clicks at a screen position in the window as the mouse does; the control acts on it
// as on a real double click (the native list view its own way).
void doubleClickAt(wxWindow* window, const wxPoint& screen);

}  // namespace orvalen::test
