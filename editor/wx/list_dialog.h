#pragma once

#include <wx/dialog.h>
#include <wx/listctrl.h>

#include "editor/toolkit.h"

namespace orvalen::wx {

// A list of rows in columns with a close button. A double click or Enter on a row ends it with
// that row.
class ListDialog : public wxDialog {
 public:
  ListDialog(wxWindow* parent, const ListChoice& choice);

  ListChoiceResult runModal();

 private:
  wxListCtrl* list_ = nullptr;
  long chosen_ = -1;
};

}  // namespace orvalen::wx
