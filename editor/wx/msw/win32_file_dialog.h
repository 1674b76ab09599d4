#pragma once

// The common file dialogs of Windows, apart from every editor header (see win32_menu.h).

#include <string>

namespace orvalen::wx::win32 {

// Shows the save (or open) dialog owned by window (an HWND, or nullptr) with the title and a
// filter of label and pattern pairs, each ended by a zero character. No default extension:
// the name comes back as typed. The save dialog asks before choosing an existing file; the
// open dialog does not insist that the file exist. False when the user cancelled.
bool chooseFile(void* window, bool save, const std::wstring& title, const std::wstring& filter,
                std::wstring* path);

}  // namespace orvalen::wx::win32
