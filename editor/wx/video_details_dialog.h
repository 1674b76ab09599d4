#pragma once

#include "exchanging_dialog.h"

class wxTextCtrl;

namespace orvalen::wx {

// The modal dialog in which a video's name, video URL and image URL are typed or edited, in
// the edits IDC_EDIT_NAME, IDC_EDIT_URL and IDC_EDIT_IMAGE_URL. OK is the default button, so
// Enter in any edit confirms; the focus starts on OK.
class VideoDetailsDialog : public ExchangingDialog {
 public:
  VideoDetailsDialog(wxWindow* parent, DialogClient& client);

 private:
  void addEdit(int id, int x, int y);
  void addLabel(const char* utf8Text, int x, int y);
};

}  // namespace orvalen::wx
