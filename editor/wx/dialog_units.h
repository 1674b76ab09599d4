#pragma once

#include <wx/gdicmn.h>

class wxWindow;

namespace orvalen::wx {

// A rectangle given in dialog units (x, y, width, height), the way window layouts are laid
// down, converted to pixels with the window's font (the desktop's UI font unless one is set).
wxRect dialogUnitsToPixels(wxWindow* window, int x, int y, int width, int height);

// Gives a window a client area of the given size in dialog units.
void setClientSizeInDialogUnits(wxWindow* window, int width, int height);

}  // namespace orvalen::wx
