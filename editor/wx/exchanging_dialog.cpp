#include "exchanging_dialog.h"

#include <stdexcept>

#include <wx/textctrl.h>

#include "app_icon.h"
#include "editor/user_texts.h"
#include "message_box.h"
#include "utf8.h"

namespace orvalen::wx {

ExchangingDialog::ExchangingDialog(wxWindow* parent, DialogClient* client, const char* utf8Caption)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(utf8Caption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      client_(client) {
  SetIcon(appIcon());
}

bool ExchangingDialog::TransferDataToWindow() {
  TextExchange exchange(*this, false);
  if (client_) client_->DoDataExchange(exchange);
  return true;
}

bool ExchangingDialog::TransferDataFromWindow() {
  TextExchange exchange(*this, true);
  if (client_) client_->DoDataExchange(exchange);
  return !exchange.failed();
}

int ExchangingDialog::runModal() {
  return ShowModal() == wxID_OK ? IDOK : IDCANCEL;
}

void TextExchange::fail(int controlId, const std::string& message) {
  if (!saving_) throw std::logic_error("a dialog can refuse only what was confirmed");
  failed_ = true;
  showMessageBox(&dialog_, message, text::kErrorCaption, MB_OK | MB_ICONERROR);
  if (wxWindow* edit = dialog_.FindWindow(controlId)) edit->SetFocus();
}

void TextExchange::text(int controlId, std::string& value) {
  auto* edit = dynamic_cast<wxTextCtrl*>(dialog_.FindWindow(controlId));
  if (!edit) throw std::logic_error("the dialog has no edit with that id");
  if (saving_) {
    value = fromWx(edit->GetValue());
  } else {
    edit->ChangeValue(toWx(value));
  }
}

}  // namespace orvalen::wx
