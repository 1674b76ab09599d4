// The editor window's find box: a bar at the window's top right, over the group box of the
// list, with a text field and a line of status. It takes its own keys: Esc closes it (and
// only it); Enter, F3 and Ctrl+F go to the receiver as the find box's keys.

#include <algorithm>

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "editor/user_texts.h"
#include "editor_dialog.h"
#include "list_control.h"
#include "tree_control.h"
#include "utf8.h"

namespace orvalen::wx {
namespace {

constexpr int kFieldWidth = 180;
constexpr int kStatusWidth = 150;
constexpr int kMargin = 4;

}  // namespace

void EditorDialog::createFindBox() {
  findBox_ = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(findBox_, wxID_ANY, toWx(text::kFindLabel)), 0,
           wxALIGN_CENTER_VERTICAL | wxLEFT, kMargin);
  findText_ = new wxTextCtrl(findBox_, IDC_FIND_TEXT, wxString(), wxDefaultPosition,
                             wxSize(kFieldWidth, -1), wxTE_PROCESS_ENTER);
  row->Add(findText_, 0, wxALIGN_CENTER_VERTICAL | wxALL, kMargin);
  findStatus_ = new wxStaticText(findBox_, wxID_ANY, wxString(), wxDefaultPosition,
                                 wxSize(kStatusWidth, -1), wxST_NO_AUTORESIZE);
  row->Add(findStatus_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, kMargin);
  findBox_->SetSizerAndFit(row);
  findBox_->Hide();
}

void EditorDialog::placeFindBox() {
  if (!findBox_) return;
  const wxSize box = findBox_->GetSize();
  findBox_->Move(std::max(0, GetClientSize().GetWidth() - box.GetWidth()), 0);
  findBox_->Raise();
}

void EditorDialog::showFindBox() {
  const wxWindow* focus = FindFocus();
  if (!findBox_->IsShown()) {
    focusBeforeFind_ = controlOf(focus) == IDC_LIST_ITEMS ? list_->rowsWindow() : tree_;
    placeFindBox();
    findBox_->Show();
  }
  findText_->SetFocus();
  findText_->SelectAll();
}

void EditorDialog::closeFindBox() {
  if (!findBox_->IsShown()) return;
  findBox_->Hide();
  findStatus_->SetLabel(wxString());
  if (focusBeforeFind_) focusBeforeFind_->SetFocus();
}

bool EditorDialog::isFindBoxShown() const {
  return findBox_->IsShown();
}

std::string EditorDialog::findBoxText() const {
  return fromWx(findText_->GetValue());
}

void EditorDialog::setFindBoxStatus(const std::string& status) {
  findStatus_->SetLabel(toWx(status));
}

bool EditorDialog::handleFindBoxKey(const wxKeyEvent& event) {
  const int modifiers = event.GetModifiers();
  const bool shift = modifiers == wxMOD_SHIFT;
  if (modifiers != wxMOD_NONE && !shift && modifiers != wxMOD_CONTROL) return false;
  switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
      closeFindBox();
      return true;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      deliver(KeyDownMessage{IDC_FIND_TEXT, VK_RETURN, shift, false});
      return true;
    case WXK_F3:
      deliver(KeyDownMessage{IDC_FIND_TEXT, VK_F3, shift, false});
      return true;
    case 'F':
      if (modifiers != wxMOD_CONTROL) return false;
      deliver(KeyDownMessage{IDC_FIND_TEXT, VK_KEY_F, false, true});
      return true;
    default:
      return false;
  }
}

}  // namespace orvalen::wx
