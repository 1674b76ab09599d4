#pragma once

// The Win32 calls behind the system menu, kept apart so that <windows.h>, whose macros
// (IDOK, MB_OK, SIZE_RESTORED, ...) clash with the editor's names, meets no editor header.

#include <string>

namespace orvalen::wx::win32 {

// Whether the window (an HWND) has a system menu.
bool hasSystemMenu(void* window);
void appendSystemMenuSeparator(void* window);
void appendSystemMenuString(void* window, unsigned commandId, const std::wstring& text);
// The WM_SYSCOMMAND message number.
unsigned systemCommandMessage();

}  // namespace orvalen::wx::win32
