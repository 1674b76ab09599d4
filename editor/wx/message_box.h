#pragma once

#include <string>

class wxWindow;

namespace orvalen::wx {

// A modal message box over parent with the program's icon and the buttons 确定 (and 取消 for
// MB_OKCANCEL); MB_ICONERROR adds the error icon. Returns wxID_OK or wxID_CANCEL.
int showMessageBox(wxWindow* parent, const std::string& text, const std::string& caption,
                   unsigned style);

}  // namespace orvalen::wx
