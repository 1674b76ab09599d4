#include "editor/wx/message_box.h"

#include <wx/msgdlg.h>

#include "editor/toolkit.h"
#include "editor/user_texts.h"
#include "editor/wx/utf8.h"

namespace orvalen::wx {

// Windows' own message box, as the program's windows are Windows' own there: the system's
// error icon, or none; the buttons labelled by wxWidgets.
int showMessageBox(wxWindow* parent, const std::string& text, const std::string& caption,
                   unsigned style) {
  const bool okCancel = (style & MB_OKCANCEL) != 0;
  long flags = (okCancel ? wxOK | wxCANCEL : wxOK) | wxCENTRE;
  flags |= (style & MB_ICONERROR) ? wxICON_ERROR : wxICON_NONE;
  wxMessageDialog box(parent, toWx(text), toWx(caption), flags);
  box.SetOKCancelLabels(wxString::FromUTF8(text::kOk), wxString::FromUTF8(text::kCancel));
  return box.ShowModal();
}

}  // namespace orvalen::wx
