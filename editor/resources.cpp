#include "editor/resources.h"

#include "editor/resource_ids.h"

namespace orvalen {

std::string LoadString(int stringId) {
  if (stringId == IDS_ABOUTBOX) return text::kAboutEntry;
  return {};
}

PopupMenu LoadMenuPopup(int popupIndex) {
  PopupMenu menu;
  if (popupIndex == 0) {
    menu.entries = {{ID_TYPE_ADD, text::kMenuTypeAdd, true},
                    {ID_TYPE_MODIFY, text::kMenuModify, true},
                    {0, "", true},
                    {ID_TYPE_DELETE, text::kMenuDelete, true}};
  } else if (popupIndex == 1) {
    menu.entries = {{ID_ITEM_ADD, text::kMenuItemAdd, true},
                    {ID_ITEM_MODIFY, text::kMenuModify, true},
                    {0, "", true},
                    {ID_ITEM_DELETE, text::kMenuDelete, true}};
  }
  // The entries that came after the original ones, in both pop-ups. The history entries get
  // the step they would undo or redo when the menu opens.
  if (popupIndex == 0 || popupIndex == 1) {
    const int move = popupIndex == 0 ? ID_TYPE_MOVE : ID_ITEM_MOVE;
    menu.entries.insert(menu.entries.end(), {{0, "", true},
                                             {move, text::kMenuMove, true},
                                             {ID_FIND, text::kMenuFind, true},
                                             {0, "", true},
                                             {ID_EDIT_UNDO, text::kMenuUndo, true},
                                             {ID_EDIT_REDO, text::kMenuRedo, true}});
  }
  return menu;
}

}  // namespace orvalen
