#pragma once

// The Win32 calls that answer a pop-up menu and reach the system menu, apart from every
// editor header.

#include <optional>
#include <string>

namespace orvalen::test::win32 {

// Posts the WM_COMMAND that choosing the entry commandId of a window's menu sends.
void postMenuCommand(void* window, int commandId);
// Ends the menu that is showing (EndMenu).
void closeMenu();
// Sends WM_SYSCOMMAND with code, and waits until the window has handled it.
void sendSystemCommand(void* window, unsigned code);
// The text of the entry commandId of the window's system menu, or nothing.
std::optional<std::wstring> systemMenuEntry(void* window, unsigned commandId);

}  // namespace orvalen::test::win32
