#include "dialog_units.h"

#include <wx/window.h>

namespace orvalen::wx {

wxRect dialogUnitsToPixels(wxWindow* window, int x, int y, int width, int height) {
  const wxPoint origin = window->ConvertDialogToPixels(wxPoint(x, y));
  const wxSize size = window->ConvertDialogToPixels(wxSize(width, height));
  return {origin, size};
}

void setClientSizeInDialogUnits(wxWindow* window, int width, int height) {
  window->SetClientSize(window->ConvertDialogToPixels(wxSize(width, height)));
}

}  // namespace orvalen::wx
