#include "editor/wx/message_box.h"

#include <wx/msgdlg.h>

#include "editor/toolkit.h"
#include "editor/user_texts.h"
#include "editor/wx/app_icon.h"
#include "editor/wx/utf8.h"

namespace orvalen::wx {

// wxWidgets' own box, not GTK's: GTK's boxes show no icon beside the text and take no window
// icon before they show.
int showMessageBox(wxWindow* parent, const std::string& text, const std::string& caption,
                   unsigned style) {
  const bool okCancel = (style & MB_OKCANCEL) != 0;
  long flags = (okCancel ? wxOK | wxCANCEL : wxOK) | wxCENTRE;
  // No icon flag at all for a box without an icon: this box takes wxICON_NONE for a bad flag.
  if (style & MB_ICONERROR) flags |= wxICON_ERROR;
  wxGenericMessageDialog box(parent, toWx(text), toWx(caption), flags);
  box.SetIcon(appIcon());
  box.SetOKCancelLabels(wxString::FromUTF8(text::kOk), wxString::FromUTF8(text::kCancel));
  return box.ShowModal();
}

}  // namespace orvalen::wx
