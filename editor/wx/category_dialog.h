#pragma once

#include <unordered_map>

#include <wx/dialog.h>
#include <wx/treectrl.h>

#include "editor/toolkit.h"

namespace orvalen::wx {

// The "移动到" dialog: the categories a choice is made from as a tree, the given one selected,
// with OK and cancel. Enter, a double click or OK takes the selected entry.
class CategoryDialog : public wxDialog {
 public:
  CategoryDialog(wxWindow* parent, const CategoryChoice& choice);

  CategoryChoiceResult runModal();

  // The tree and the id each of its items stands for (for the tests' user).
  wxTreeCtrl& tree() { return *tree_; }
  int idOf(const wxTreeItemId& item) const;

 private:
  void fill(const CategoryChoice& choice);

  wxTreeCtrl* tree_ = nullptr;
  std::unordered_map<void*, int> ids_;
};

}  // namespace orvalen::wx
