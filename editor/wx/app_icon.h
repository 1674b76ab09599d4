#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>

namespace orvalen::wx {

// The application's 76 x 76 icon, built into the program so it shows even when run from the
// build tree.
wxBitmap appIconBitmap();
wxIcon appIcon();

// Makes the icon the one of every window that sets none, the toolkit's own dialogs included
// (the questions of the file dialogs).
void useAppIconByDefault();

}  // namespace orvalen::wx
