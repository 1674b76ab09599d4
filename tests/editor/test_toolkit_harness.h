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

  void pumpEvents() override { window_.post().pump(); }
  void selectTreeItem(TreeItem item) override { window_.testTree().userSelect(item); }
  void startLabelEdit(TreeItem item) override { window_.testTree().userStartEdit(item); }
  void finishLabelEdit(const std::string& text) override { window_.testTree().userEndEdit(text); }
  void cancelLabelEdit() override { window_.testTree().userEndEdit(std::nullopt); }
  bool isEditingLabel() const override {
    return static_cast<bool>(window_.testTree().editingItem());
  }
  void selectListRows(const std::vector<int>& rows) override {
    window_.testList().userSelectRows(rows);
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
