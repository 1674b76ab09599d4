#include "video_details_dialog.h"

#include <wx/button.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialog_units.h"
#include "editor/resource_ids.h"
#include "editor/user_texts.h"
#include "native_window.h"

namespace orvalen::wx {
namespace {

constexpr int kEditWidth = 235;
constexpr int kEditHeight = 14;
constexpr int kLabelWidth = 42;
constexpr int kLabelHeight = 10;

}  // namespace

VideoDetailsDialog::VideoDetailsDialog(wxWindow* parent, DialogClient& client)
    : ExchangingDialog(parent, &client, text::kItemDialogCaption) {
  useTemplateFont(this, "MS Shell Dlg", 8);
  setClientSizeInDialogUnits(this, 316, 114);
  // Created in tab order: OK, cancel, then the three rows.
  const wxRect okRect = dialogUnitsToPixels(this, 78, 95, 50, 14);
  auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8(text::kOk), okRect.GetPosition(),
                          okRect.GetSize());
  const wxRect cancelRect = dialogUnitsToPixels(this, 171, 94, 50, 14);
  new wxButton(this, wxID_CANCEL, wxString::FromUTF8(text::kCancel), cancelRect.GetPosition(),
               cancelRect.GetSize());
  const wxRect boxRect = dialogUnitsToPixels(this, 5, 7, 298, 76);
  new wxStaticBox(this, wxID_ANY, wxString(), boxRect.GetPosition(), boxRect.GetSize());
  addLabel(text::kItemNameLabel, 19, 21);
  addEdit(IDC_EDIT_NAME, 60, 19);
  addLabel(text::kItemUrlLabel, 19, 42);
  addEdit(IDC_EDIT_URL, 60, 40);
  addLabel(text::kItemImageUrlLabel, 20, 63);
  addEdit(IDC_EDIT_IMAGE_URL, 61, 61);
  ok->SetDefault();
  ok->SetFocus();
  CentreOnParent();
}

void VideoDetailsDialog::addEdit(int id, int x, int y) {
  const wxRect rect = dialogUnitsToPixels(this, x, y, kEditWidth, kEditHeight);
  new wxTextCtrl(this, id, wxString(), rect.GetPosition(), rect.GetSize());
}

void VideoDetailsDialog::addLabel(const char* utf8Text, int x, int y) {
  const wxRect rect = dialogUnitsToPixels(this, x, y, kLabelWidth, kLabelHeight);
  new wxStaticText(this, wxID_ANY, wxString::FromUTF8(utf8Text), rect.GetPosition(), rect.GetSize(),
                   wxST_NO_AUTORESIZE);
}

}  // namespace orvalen::wx
