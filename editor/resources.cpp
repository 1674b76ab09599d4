#include "editor/resources.h"

#include "editor/resource_ids.h"

namespace orvalen {

std::string LoadString(int stringId) {
  if (stringId == IDS_ABOUTBOX) return "关于 Orvalen(&A)...";
  return {};
}

PopupMenu LoadMenuPopup(int popupIndex) {
  PopupMenu menu;
  if (popupIndex == 0) {
    menu.entries = {{ID_TYPE_ADD, "添加一个类型", true},
                    {ID_TYPE_MODIFY, "修改", true},
                    {0, "", true},
                    {ID_TYPE_DELETE, "删除", true}};
  } else if (popupIndex == 1) {
    menu.entries = {{ID_ITEM_ADD, "添加", true},
                    {ID_ITEM_MODIFY, "修改", true},
                    {0, "", true},
                    {ID_ITEM_DELETE, "删除", true}};
  }
  return menu;
}

}  // namespace orvalen
