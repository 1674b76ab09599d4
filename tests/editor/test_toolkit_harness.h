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
  // As the wxWidgets window does: the menu keys as a context menu request from the keyboard,
  // Esc in the find box closing it, the others as key messages.
  void pressKey(int controlId, Key key) override {
    if (isEditingLabel()) return;  // keys go to the edit
    if (key == Key::kMenu || key == Key::kShiftF10) {
      window_.post().post(ContextMenuMessage{controlId, {-1, -1}});
      return;
    }
    if (key == Key::kEscape) {
      if (controlId == IDC_FIND_TEXT) window_.closeFindBox();
      return;
    }
    window_.post().post(keyMessage(controlId, key));
  }
  static KeyDownMessage keyMessage(int controlId, Key key) {
    switch (key) {
      case Key::kF2:
        return {controlId, VK_F2};
      case Key::kDelete:
        return {controlId, VK_DELETE};
      case Key::kInsert:
        return {controlId, VK_INSERT};
      case Key::kF3:
        return {controlId, VK_F3};
      case Key::kShiftF3:
        return {controlId, VK_F3, true};
      case Key::kCtrlF:
        return {controlId, VK_KEY_F, false, true};
      case Key::kCtrlZ:
        return {controlId, VK_KEY_Z, false, true};
      case Key::kCtrlY:
        return {controlId, VK_KEY_Y, false, true};
      case Key::kCtrlShiftZ:
        return {controlId, VK_KEY_Z, true, true};
      case Key::kShiftEnter:
        return {controlId, VK_RETURN, true};
      default:
        return {controlId, VK_RETURN};
    }
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
  void typeInFindBox(const std::string& text) override { window_.userTypeInFindBox(text); }
  bool dragTo(DragKind kind, TreeItem dragged, TreeItem target) override {
    return window_.userDrag(kind, dragged, target);
  }
  void answerNextCategoryDialog(int result, int id) override {
    toolkit_.categoryAnswers.push_back({result, id});
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
