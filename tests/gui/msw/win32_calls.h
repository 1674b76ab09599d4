#pragma once

// The Win32 calls of the test driver: answering a pop-up menu, reaching the system menu, a
// double click. Apart from every editor header.

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
// Sends the window the double click's messages at a point of its client area.
void sendDoubleClick(void* window, int x, int y);

}  // namespace orvalen::test::win32
