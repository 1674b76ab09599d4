#include "list_dialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/sizer.h>

#include "app_icon.h"
#include "dialog_units.h"
#include "editor/user_texts.h"
#include "native_window.h"
#include "utf8.h"

namespace orvalen::wx {

ListDialog::ListDialog(wxWindow* parent, const ListChoice& choice)
    : wxDialog(parent, wxID_ANY, toWx(choice.caption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER) {
  SetIcon(appIcon());
  useTemplateFont(this, "MS Shell Dlg", 9);
  const wxRect listRect = dialogUnitsToPixels(this, 0, 0, 400, 200);
  list_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, listRect.GetSize(),
                         wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SIMPLE);
  const int width =
      listRect.GetWidth() / static_cast<int>(std::max<std::size_t>(1, choice.headings.size()));
  for (std::size_t column = 0; column < choice.headings.size(); ++column) {
    list_->InsertColumn(static_cast<long>(column), toWx(choice.headings[column]),
                        wxLIST_FORMAT_LEFT, width);
  }
  for (std::size_t row = 0; row < choice.rows.size(); ++row) {
    const std::vector<std::string>& cells = choice.rows[row];
    const long item =
        list_->InsertItem(static_cast<long>(row), cells.empty() ? wxString() : toWx(cells[0]));
    for (std::size_t column = 1; column < cells.size(); ++column) {
      list_->SetItem(item, static_cast<int>(column), toWx(cells[column]));
    }
  }
  auto* buttons = new wxStdDialogButtonSizer;
  buttons->AddButton(new wxButton(this, wxID_CANCEL, toWx(text::kClose)));
  buttons->Realize();
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(list_, 1, wxEXPAND | wxALL, 8);
  column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  SetSizerAndFit(column);
  list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
    chosen_ = event.GetIndex();
    EndModal(wxID_OK);
  });
  list_->SetFocus();
  CentreOnParent();
}

ListChoiceResult ListDialog::runModal() {
  if (ShowModal() != wxID_OK || chosen_ < 0) return {};
  return {IDOK, static_cast<int>(chosen_)};
}

}  // namespace orvalen::wx
