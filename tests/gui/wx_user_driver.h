#pragma once

// Acts on the wxWidgets toolkit's windows as a user would: selects, types into the label
// editor and presses its keys, picks entries of the real pop-up menus and answers dialogs.

#include <deque>
#include <map>
#include <string>

#include <wx/modalhook.h>

#include "editor/wx/category_dialog.h"
#include "editor/wx/editor_dialog.h"
#include "tests/editor/toolkit_contract.h"

class wxMenuEvent;

namespace orvalen::test {

// Sends a key to a window the way the toolkit delivers a key press: the hook event first,
// travelling up to the window's dialog, then key-down and, unless that was taken, char.
// modifiers: wxMOD_SHIFT and the like.
void pressKey(wxWindow* window, int keyCode, int modifiers = wxMOD_NONE);

// Pumps the event queue, idle processing included, so that queued work has run.
void pumpWxEvents();

class WxUserDriver : public UserDriver, private wxModalDialogHook {
 public:
  explicit WxUserDriver(wx::EditorDialog& window);
  ~WxUserDriver() override;

  void pumpEvents() override { pumpWxEvents(); }
  void selectTreeItem(TreeItem item) override;
  void startLabelEdit(TreeItem item) override;
  void finishLabelEdit(const std::string& text) override;
  void cancelLabelEdit() override;
  bool isEditingLabel() const override;
  std::string labelEditText() const override;
  void selectListRows(const std::vector<int>& rows) override;
  void pressKey(int controlId, Key key) override;
  bool pressKeyWhileBusy(int controlId, Key key) override;
  void rightClick(int controlId, Point client) override;
  void doubleClickListRow(int row) override;
  void typeInFindBox(const std::string& text) override;
  bool dragTo(DragKind kind, TreeItem dragged, TreeItem target) override;
  void answerNextCategoryDialog(int result, int id) override {
    categoryAnswers_.push_back({result, id});
  }
  void answerNextPopupMenu(int commandId) override { popupAnswers_.push_back(commandId); }
  void answerNextMessageBox(int answer) override { messageBoxAnswers_.push_back(answer); }
  void answerNextDialog(int result, const std::map<int, std::string>& typed) override {
    dialogAnswers_.push_back({result, typed});
  }
  void answerNextFileDialog(int result, const std::string& path) override {
    fileDialogAnswers_.push_back({result, path});
  }
  MessageBoxSeen lastMessageBox() const override { return lastMessageBox_; }
  std::map<int, std::string> lastDialogEditsAtOpen() const override { return lastEditsAtOpen_; }
  std::vector<RefusalSeen> lastDialogRefusals() const override { return lastRefusals_; }
  ColumnSeen listColumn(int column) const override;
  bool isBusyCursorShown() const override;

 private:
  struct DialogAnswer {
    int result = IDCANCEL;
    std::map<int, std::string> typed;
  };
  struct FileAnswer {
    int result = IDCANCEL;
    std::string path;
  };

  int Enter(wxDialog* dialog) override;
  void Exit(wxDialog* dialog) override;
  int answerMessageBox(wxDialog* dialog);
  int answerFileDialog(wxDialog* dialog);
  void answerOwnDialog(wxDialog* dialog);
  void answerCategoryDialog(wx::CategoryDialog* dialog);
  void actInDialog(wxDialog* dialog);
  wxWindow* focusControl(int controlId);
  void onMenuOpen(wxMenuEvent& event);

  wx::EditorDialog& window_;
  std::deque<int> popupAnswers_;
  std::deque<int> messageBoxAnswers_;
  std::deque<DialogAnswer> dialogAnswers_;
  std::deque<FileAnswer> fileDialogAnswers_;
  std::deque<CategoryChoiceResult> categoryAnswers_;
  MessageBoxSeen lastMessageBox_;
  std::map<int, std::string> lastEditsAtOpen_;
  std::vector<RefusalSeen> lastRefusals_;
  std::vector<std::string> madeFolders_;
  wxDialog* entered_ = nullptr;
  int enteredDepth_ = 0;
};

}  // namespace orvalen::test
