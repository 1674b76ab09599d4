// What the editor window does on GTK only: the tree there is wxWidgets' own, drawn and
// scrolled by it (on Windows the native tree view scrolls itself).

#include <gtest/gtest.h>

#include <string>

#include "editor/wx/editor_dialog.h"
#include "editor/wx/tree_control.h"
#include "wx_user_driver.h"

namespace orvalen::test {
namespace {

// The horizontal scroll range follows the widest label as labels change, not only when the
// tree is filled.
TEST(EditorWindow, TheTreeCanScrollToALabelMadeLongerLater) {
  wx::EditorDialog window(nullptr);
  window.Show();
  wx::CategoryTreeCtrl& tree = window.categoryTree();
  TreeItem root = tree.insertItem(TreeItem(), "root");
  TreeItem item = tree.insertItem(root, "新类型");
  tree.expand(root);
  pumpWxEvents();
  const int visible = tree.GetClientSize().GetWidth();
  for (const std::string& label : {std::string(60, 'W'), std::string(120, 'W')}) {
    tree.setItemText(item, label);
    pumpWxEvents();
    wxRect rect;
    ASSERT_TRUE(tree.GetBoundingRect(tree.wxIdOf(item), rect, true));
    const int labelEnd = tree.CalcUnscrolledPosition(rect.GetTopRight()).x;
    EXPECT_GT(labelEnd, visible) << "the label is wider than the tree";
    EXPECT_GE(tree.GetVirtualSize().GetWidth(), labelEnd) << label.size();
  }
}

}  // namespace
}  // namespace orvalen::test
