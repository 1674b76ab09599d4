#pragma once

// The Win32 calls that answer a pop-up menu, apart from every editor header.

namespace orvalen::test::win32 {

// Posts the WM_COMMAND that choosing the entry commandId of a window's menu sends.
void postMenuCommand(void* window, int commandId);
// Ends the menu that is showing (EndMenu).
void closeMenu();

}  // namespace orvalen::test::win32
