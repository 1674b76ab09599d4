#include "about_dialog.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

#include "app_icon.h"
#include "dialog_units.h"
#include "editor/user_texts.h"
#include "native_window.h"

namespace orvalen::wx {
namespace {

wxBitmap iconFittingInto(const wxSize& box) {
  const int side = std::min(box.GetWidth(), box.GetHeight());
  wxImage image = appIconBitmap().ConvertToImage();
  return wxBitmap(image.Scale(side, side, wxIMAGE_QUALITY_HIGH));
}

}  // namespace

AboutDialog::AboutDialog(wxWindow* parent, DialogClient& client)
    : ExchangingDialog(parent, &client, text::kAboutCaption) {
  useTemplateFont(this, "MS Shell Dlg", 9);
  setClientSizeInDialogUnits(this, 170, 62);
  const wxRect iconRect = dialogUnitsToPixels(this, 14, 14, 21, 20);
  new wxStaticBitmap(this, wxID_ANY, iconFittingInto(iconRect.GetSize()), iconRect.GetPosition(),
                     iconRect.GetSize());
  const wxRect textRect = dialogUnitsToPixels(this, 42, 14, 114, 8);
  auto* version = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(text::kAboutVersion),
                                   textRect.GetPosition(), textRect.GetSize(), wxST_NO_AUTORESIZE);
  version->SetLabelText(version->GetLabel());  // shown as it stands, '&' included
  const wxRect okRect = dialogUnitsToPixels(this, 113, 41, 50, 14);
  auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8(text::kOk), okRect.GetPosition(),
                          okRect.GetSize());
  ok->SetDefault();
  ok->SetFocus();
  CentreOnParent();
}

}  // namespace orvalen::wx
