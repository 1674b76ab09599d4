#pragma once

#include <wx/dialog.h>

#include "editor/toolkit.h"

namespace orvalen::wx {

// A dialog whose values its client moves in and out: into the controls when the dialog opens,
// back into the client's members when it is confirmed (OK, or Enter on the default button).
// Cancelling moves nothing. A client that refuses what was confirmed keeps the dialog open.
class ExchangingDialog : public wxDialog {
 public:
  ExchangingDialog(wxWindow* parent, DialogClient* client, const char* utf8Caption);

  bool TransferDataToWindow() override;
  bool TransferDataFromWindow() override;

  // Runs the dialog modally: IDOK when confirmed, else IDCANCEL.
  int runModal();

 private:
  DialogClient* client_;
};

// Exchanges values with the text controls of a dialog, found by their ids.
class TextExchange : public DataExchange {
 public:
  TextExchange(wxWindow& dialog, bool saving) : dialog_(dialog), saving_(saving) {}
  bool isSaving() const override { return saving_; }
  void text(int controlId, std::string& value) override;
  void fail(int controlId, const std::string& message) override;
  bool failed() const { return failed_; }

 private:
  wxWindow& dialog_;
  bool saving_;
  bool failed_ = false;
};

}  // namespace orvalen::wx
