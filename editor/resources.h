#pragma once

// The editor's string table and context menu resource (the texts are editor/user_texts.h's).

#include <string>

#include "editor/toolkit.h"
#include "editor/user_texts.h"

namespace orvalen {

// The string of a string-table id (IDS_ABOUTBOX), or an empty string for an unknown id.
std::string LoadString(int stringId);

// Pop-up popupIndex of menu IDR_CONTEXT_MENU: 0 for the tree, 1 for the list. Every entry is
// enabled; an unknown index gives an empty menu.
PopupMenu LoadMenuPopup(int popupIndex);

}  // namespace orvalen
