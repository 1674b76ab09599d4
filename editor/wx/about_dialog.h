#pragma once

#include "exchanging_dialog.h"

namespace orvalen::wx {

// The about box: the icon, the program's name and version, and an OK button.
class AboutDialog : public ExchangingDialog {
 public:
  AboutDialog(wxWindow* parent, DialogClient& client);
};

}  // namespace orvalen::wx
