#pragma once

#include <wx/dialog.h>

namespace orvalen::wx {

// The about box: the icon, the program's name and version, and an OK button.
class AboutDialog : public wxDialog {
 public:
  explicit AboutDialog(wxWindow* parent);
};

}  // namespace orvalen::wx
