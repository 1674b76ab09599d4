#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>

namespace orvalen::wx {

// The application's 76 x 76 icon, built into the program so it shows even when run from the
// build tree.
wxBitmap appIconBitmap();
wxIcon appIcon();

}  // namespace orvalen::wx
