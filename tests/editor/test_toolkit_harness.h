#pragma once

// The test toolkit as a ToolkitHarness, so the contract suite runs against it.

#include <memory>

#include "tests/editor/test_toolkit.h"
#include "tests/editor/toolkit_contract.h"

namespace orvalen::test {

class TestUserDriver : public UserDriver {
 public:
  TestUserDriver(TestToolkit& toolkit, TestEditorWindow& window)
      : toolkit_(toolkit), window_(window) {}

  void pumpEvents() override { window_.takeInput(); }
  void selectTreeItem(TreeItem item) override { window_.testTree().userSelect(item); }
  void startLabelEdit(TreeItem item) override { window_.testTree().userStartEdit(item); }
  void finishLabelEdit(const std::string& text) override { window_.testTree().userEndEdit(text); }
  void cancelLabelEdit() override { window_.testTree().userEndEdit(std::nullopt); }
  bool isEditingLabel() const override {
    return static_cast<bool>(window_.testTree().editingItem());
  }
  std::string labelEditText() const override { return window_.testTree().editStartText(); }
  void selectListRows(const std::vector<int>& rows) override {
    window_.testList().userSelectRows(rows);
  }
  // As the wxWidgets window does: F2, Delete and Insert as key messages, the menu keys as a
  // context menu request from the keyboard.
  void pressKey(int controlId, Key key) override {
    if (isEditingLabel()) return;  // keys go to the edit
    if (key == Key::kMenu || key == Key::kShiftF10) {
      window_.post().post(ContextMenuMessage{controlId, {-1, -1}});
      return;
    }
    const int code = key == Key::kF2 ? VK_F2 : key == Key::kDelete ? VK_DELETE : VK_INSERT;
    window_.post().post(KeyDownMessage{controlId, code});
  }
  bool pressKeyWhileBusy(int controlId, Key key) override {
    window_.pendingInput.push_back([this, controlId, key] { pressKey(controlId, key); });
    return true;
  }
  void rightClick(int controlId, Point client) override {
    window_.post().post(ContextMenuMessage{controlId, window_.clientToScreen(controlId, client)});
  }
  void doubleClickListRow(int row) override {
    window_.testList().selectOnlyRow(row);
    window_.post().post(ListDoubleClickMessage{IDC_LIST_ITEMS, row});
  }
  void answerNextPopupMenu(int commandId) override { window_.popupAnswers.push_back(commandId); }
  void answerNextMessageBox(int answer) override { window_.messageBoxAnswers.push_back(answer); }
  void answerNextDialog(int result, const std::map<int, std::string>& typed) override {
    toolkit_.dialogAnswers.push_back({result, typed});
  }
  void answerNextFileDialog(int result, const std::string& path) override {
    toolkit_.fileDialogAnswers.push_back({result, path});
  }
  MessageBoxSeen lastMessageBox() const override {
    if (window_.messageBoxes.empty()) return {};
    return {window_.messageBoxes.back().text, window_.messageBoxes.back().caption};
  }
  std::map<int, std::string> lastDialogEditsAtOpen() const override {
    return toolkit_.dialogs.empty() ? std::map<int, std::string>{}
                                    : toolkit_.dialogs.back().editsAtOpen;
  }
  std::vector<RefusalSeen> lastDialogRefusals() const override {
    std::vector<RefusalSeen> seen;
    if (toolkit_.dialogs.empty()) return seen;
    for (const DialogRefusal& refusal : toolkit_.dialogs.back().refusals) {
      seen.push_back({refusal.message, refusal.focusedControl});
    }
    return seen;
  }
  ColumnSeen listColumn(int column) const override {
    const TestList::Column& c = window_.testList().columns().at(column);
    return {c.heading, c.width};
  }
  bool isBusyCursorShown() const override { return toolkit_.busyDepth > 0; }

 private:
  TestToolkit& toolkit_;
  TestEditorWindow& window_;
};

class TestToolkitHarness : public ToolkitHarness {
 public:
  TestToolkitHarness(MessageTarget& target, Delivery delivery) {
    window_.post().setTarget(&target);
    window_.post().setDelivery(delivery);
    toolkit_.activeWindow = &window_;
  }
  Toolkit& toolkit() override { return toolkit_; }
  EditorWindow& window() override { return window_; }
  UserDriver& user() override { return user_; }

 private:
  TestToolkit toolkit_;
  TestEditorWindow window_;
  TestUserDriver user_{toolkit_, window_};
};

template <Delivery delivery>
struct TestToolkitFactory {
  static std::unique_ptr<ToolkitHarness> create(MessageTarget& target) {
    return std::make_unique<TestToolkitHarness>(target, delivery);
  }
};

}  // namespace orvalen::test
