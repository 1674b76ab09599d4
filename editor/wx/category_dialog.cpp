#include "category_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>

#include "app_icon.h"
#include "dialog_units.h"
#include "editor/user_texts.h"
#include "native_window.h"
#include "utf8.h"

namespace orvalen::wx {

CategoryDialog::CategoryDialog(wxWindow* parent, const CategoryChoice& choice)
    : wxDialog(parent, wxID_ANY, toWx(choice.caption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER) {
  SetIcon(appIcon());
  useTemplateFont(this, "MS Shell Dlg", 9);
  const wxRect treeRect = dialogUnitsToPixels(this, 0, 0, 160, 180);
  tree_ = new wxTreeCtrl(this, wxID_ANY, wxDefaultPosition, treeRect.GetSize(),
                         wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_SINGLE | wxBORDER_SIMPLE);
  auto* buttons = new wxStdDialogButtonSizer;
  auto* ok = new wxButton(this, wxID_OK, toWx(text::kOk));
  buttons->AddButton(ok);
  buttons->AddButton(new wxButton(this, wxID_CANCEL, toWx(text::kCancel)));
  buttons->Realize();
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(tree_, 1, wxEXPAND | wxALL, 8);
  column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  SetSizerAndFit(column);
  ok->SetDefault();
  fill(choice);
  tree_->Bind(wxEVT_TREE_ITEM_ACTIVATED, [this](wxTreeEvent&) { EndModal(wxID_OK); });
  tree_->SetFocus();
  CentreOnParent();
}

// Each entry goes under the nearest entry before it of a smaller depth.
void CategoryDialog::fill(const CategoryChoice& choice) {
  std::vector<wxTreeItemId> path;
  for (const CategoryChoice::Entry& entry : choice.entries) {
    while (!path.empty() && static_cast<int>(path.size()) > entry.depth) path.pop_back();
    const wxTreeItemId item = path.empty() ? tree_->AddRoot(toWx(entry.label))
                                           : tree_->AppendItem(path.back(), toWx(entry.label));
    ids_[item.GetID()] = entry.id;
    path.push_back(item);
    if (entry.id == choice.selectedId) {
      tree_->EnsureVisible(item);
      tree_->SelectItem(item);
    }
  }
  if (tree_->GetRootItem().IsOk()) tree_->Expand(tree_->GetRootItem());
}

int CategoryDialog::idOf(const wxTreeItemId& item) const {
  const auto found = ids_.find(item.GetID());
  return found == ids_.end() ? 0 : found->second;
}

CategoryChoiceResult CategoryDialog::runModal() {
  if (ShowModal() != wxID_OK) return {};
  const wxTreeItemId selected = tree_->GetSelection();
  if (!selected.IsOk()) return {};
  return {IDOK, idOf(selected)};
}

}  // namespace orvalen::wx
