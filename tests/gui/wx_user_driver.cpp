#include "wx_user_driver.h"

#include <filesystem>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "editor/wx/list_control.h"
#include "editor/wx/tree_control.h"
#include "editor/wx/utf8.h"
#include "native_user.h"
#include "when_modal.h"

namespace orvalen::test {
namespace {

using wx::fromWx;
using wx::toWx;

wxButton* buttonOf(wxDialog* dialog, int id) {
  return dynamic_cast<wxButton*>(dialog->FindWindow(id));
}

}  // namespace

void pressKey(wxWindow* window, int keyCode, int modifiers) {
  wxKeyEvent hook(wxEVT_CHAR_HOOK);
  hook.m_keyCode = keyCode;
  hook.m_uniChar = keyCode;
  hook.m_shiftDown = (modifiers & wxMOD_SHIFT) != 0;
  hook.m_controlDown = (modifiers & wxMOD_CONTROL) != 0;
  hook.SetEventObject(window);
  const bool taken = window->ProcessWindowEvent(hook);
  if (taken && !hook.IsNextEventAllowed()) return;
  wxKeyEvent down(hook);
  down.SetEventType(wxEVT_KEY_DOWN);
  down.Skip(false);
  if (window->ProcessWindowEvent(down) && !down.GetSkipped()) return;
  wxKeyEvent character(down);
  character.SetEventType(wxEVT_CHAR);
  character.Skip(false);
  window->ProcessWindowEvent(character);
}

void pumpWxEvents() {
  for (int round = 0; round < 3; ++round) {
    wxTheApp->ProcessPendingEvents();
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
  }
}

WxUserDriver::WxUserDriver(wx::EditorDialog& window) : window_(window) {
  Register();
  window_.Bind(wxEVT_MENU_OPEN, &WxUserDriver::onMenuOpen, this);
}

WxUserDriver::~WxUserDriver() {
  window_.Unbind(wxEVT_MENU_OPEN, &WxUserDriver::onMenuOpen, this);
  Unregister();
  for (const auto& folder : madeFolders_) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(folder), ignored);
  }
}

void WxUserDriver::selectTreeItem(TreeItem item) {
  wx::CategoryTreeCtrl& tree = window_.categoryTree();
  tree.SelectItem(tree.wxIdOf(item));
}

void WxUserDriver::startLabelEdit(TreeItem item) {
  // A click on the label of the selected item starts the edit, as the tree's own timer does.
  wx::CategoryTreeCtrl& tree = window_.categoryTree();
  const wxTreeItemId wxId = tree.wxIdOf(item);
  if (tree.GetSelection() != wxId) tree.SelectItem(wxId);
  tree.wxTreeCtrl::EditLabel(wxId);
}

void WxUserDriver::finishLabelEdit(const std::string& text) {
  wxTextCtrl* edit = window_.categoryTree().GetEditControl();
  ASSERT_NE(edit, nullptr) << "no label edit is running";
  edit->SetValue(toWx(text));
  test::pressKey(edit, WXK_RETURN);
}

void WxUserDriver::cancelLabelEdit() {
  wxTextCtrl* edit = window_.categoryTree().GetEditControl();
  ASSERT_NE(edit, nullptr) << "no label edit is running";
  test::pressKey(edit, WXK_ESCAPE);
}

bool WxUserDriver::isEditingLabel() const {
  return window_.categoryTree().GetEditControl() != nullptr;
}

std::string WxUserDriver::labelEditText() const {
  wxTextCtrl* edit = window_.categoryTree().GetEditControl();
  return edit ? fromWx(edit->GetValue()) : std::string();
}

wxWindow* WxUserDriver::focusControl(int controlId) {
  wxWindow* control = controlId == IDC_TREE_TYPES  ? static_cast<wxWindow*>(&window_.categoryTree())
                      : controlId == IDC_FIND_TEXT ? window_.FindWindow(IDC_FIND_TEXT)
                                                   : window_.videoList().rowsWindow();
  control->SetFocus();
  return control;
}

void WxUserDriver::pressKey(int controlId, Key key) {
  wxWindow* control = focusControl(controlId);
  switch (key) {
    case Key::kF2:
      test::pressKey(control, WXK_F2);
      break;
    case Key::kDelete:
      test::pressKey(control, WXK_DELETE);
      break;
    case Key::kInsert:
      test::pressKey(control, WXK_INSERT);
      break;
    case Key::kMenu:
      test::pressKey(control, WXK_MENU);
      break;
    case Key::kShiftF10:
      test::pressKey(control, WXK_F10, wxMOD_SHIFT);
      break;
    case Key::kF3:
      test::pressKey(control, WXK_F3);
      break;
    case Key::kShiftF3:
      test::pressKey(control, WXK_F3, wxMOD_SHIFT);
      break;
    case Key::kCtrlF:
      test::pressKey(control, 'F', wxMOD_CONTROL);
      break;
    case Key::kCtrlZ:
      test::pressKey(control, 'Z', wxMOD_CONTROL);
      break;
    case Key::kCtrlY:
      test::pressKey(control, 'Y', wxMOD_CONTROL);
      break;
    case Key::kCtrlShiftZ:
      test::pressKey(control, 'Z', wxMOD_CONTROL | wxMOD_SHIFT);
      break;
    case Key::kEnter:
      test::pressKey(control, WXK_RETURN);
      break;
    case Key::kShiftEnter:
      test::pressKey(control, WXK_RETURN, wxMOD_SHIFT);
      break;
    case Key::kEscape:
      test::pressKey(control, WXK_ESCAPE);
      break;
  }
}

void WxUserDriver::typeInFindBox(const std::string& text) {
  auto* field = dynamic_cast<wxTextCtrl*>(window_.FindWindow(IDC_FIND_TEXT));
  ASSERT_TRUE(field && field->IsShownOnScreen()) << "the find box does not show";
  field->SetValue(toWx(text));
}

// The pointer goes over the middle of target's label and lets go there; the desktop's own
// drag loop is left to the sessions with the real program.
bool WxUserDriver::dragTo(DragKind kind, TreeItem dragged, TreeItem target) {
  const Rect rect = window_.categoryTree().itemRect(target);
  const Point middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  window_.beginDrag(kind, dragged);
  const bool allowed = window_.dragOver(middle);
  if (allowed) window_.dropAt(middle);
  window_.endDrag();
  return allowed;
}

// A real key press, which waits in the system's queue until events are handled.
bool WxUserDriver::pressKeyWhileBusy(int controlId, Key key) {
  wxWindow* control = focusControl(controlId);
  pumpWxEvents();
  const int code = key == Key::kF2       ? WXK_F2
                   : key == Key::kDelete ? WXK_DELETE
                   : key == Key::kInsert ? WXK_INSERT
                   : key == Key::kMenu   ? WXK_MENU
                                         : WXK_F10;
  return pressRealKey(control, code, key == Key::kShiftF10);
}

void WxUserDriver::rightClick(int controlId, Point client) {
  const wxPoint screen = wxPoint(window_.clientToScreen(controlId, client).x,
                                 window_.clientToScreen(controlId, client).y);
  wxWindow* target = &window_.categoryTree();
  if (controlId == IDC_LIST_ITEMS) {
    wx::VideoListCtrl& list = window_.videoList();
    target = &list;
    for (wxWindow* part : list.GetChildren()) {
      if (part->GetScreenRect().Contains(screen)) target = part;
    }
  }
  for (wxEventType type : {wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP}) {
    wxMouseEvent click(type);
    click.SetPosition(target->ScreenToClient(screen));
    click.SetEventObject(target);
    target->ProcessWindowEvent(click);
  }
}

// The first click of a double click selects the row alone, as a plain click does; here that is
// done directly, as the list does not take a made-up click for a plain one. Then the clicks go
// to the list as the mouse sends them.
void WxUserDriver::doubleClickListRow(int row) {
  wx::VideoListCtrl& list = window_.videoList();
  list.selectOnlyRow(row);
  wxRect rect;
  list.GetItemRect(row, rect);
  const wxPoint at = list.ClientToScreen(rect.GetPosition() + wxPoint(5, rect.GetHeight() / 2));
  doubleClickAt(list.rowsWindow(), at);
}

void WxUserDriver::selectListRows(const std::vector<int>& rows) {
  wx::VideoListCtrl& list = window_.videoList();
  for (int row = 0; row < list.rowCount(); ++row) {
    if (list.GetItemState(row, wxLIST_STATE_SELECTED)) list.selectRow(row, false);
  }
  for (int row : rows) list.selectRow(row, true);
}

UserDriver::ColumnSeen WxUserDriver::listColumn(int column) const {
  wxListItem item;
  item.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
  window_.videoList().GetColumn(column, item);
  return {fromWx(item.GetText()), window_.videoList().GetColumnWidth(column)};
}

bool WxUserDriver::isBusyCursorShown() const {
  return wxIsBusy();
}

int WxUserDriver::Enter(wxDialog* dialog) {
  // A file dialog passes here twice on its way to showing; it is answered once.
  if (dialog == entered_ && enteredDepth_++ > 0) return wxID_NONE;
  entered_ = dialog;
  enteredDepth_ = 1;
  if (dynamic_cast<wxMessageDialogBase*>(dialog)) {
    // Answered without showing, so no Exit follows.
    entered_ = nullptr;
    enteredDepth_ = 0;
    return answerMessageBox(dialog);
  }
  if (dynamic_cast<wxFileDialog*>(dialog)) {
    const int answer = answerFileDialog(dialog);
    if (answer != wxID_NONE) {  // answered without showing, so no Exit follows
      entered_ = nullptr;
      enteredDepth_ = 0;
    }
    return answer;
  }
  if (auto* categories = dynamic_cast<wx::CategoryDialog*>(dialog)) {
    answerCategoryDialog(categories);
    return wxID_NONE;
  }
  answerOwnDialog(dialog);
  return wxID_NONE;
}

// Once the dialog runs, the user selects the entry and presses OK, or cancels.
void WxUserDriver::answerCategoryDialog(wx::CategoryDialog* dialog) {
  CategoryChoiceResult answer;
  if (categoryAnswers_.empty()) {
    ADD_FAILURE() << "a category dialog came unasked";
  } else {
    answer = categoryAnswers_.front();
    categoryAnswers_.pop_front();
  }
  whenModal(dialog, [dialog, answer] {
    wxTreeCtrl& tree = dialog->tree();
    std::vector<wxTreeItemId> items{tree.GetRootItem()};
    while (!items.empty()) {
      const wxTreeItemId item = items.back();
      items.pop_back();
      if (dialog->idOf(item) == answer.id) tree.SelectItem(item);
      wxTreeItemIdValue cookie;
      for (wxTreeItemId child = tree.GetFirstChild(item, cookie); child.IsOk();
           child = tree.GetNextChild(item, cookie)) {
        items.push_back(child);
      }
    }
    dialog->EndModal(answer.code == IDOK ? wxID_OK : wxID_CANCEL);
  });
}

void WxUserDriver::Exit(wxDialog* dialog) {
  if (dialog == entered_ && --enteredDepth_ == 0) entered_ = nullptr;
}

int WxUserDriver::answerMessageBox(wxDialog* dialog) {
  auto* box = static_cast<wxMessageDialogBase*>(dialog);
  lastMessageBox_ = {fromWx(box->GetMessage()), fromWx(box->GetTitle())};
  int answer = IDCANCEL;
  if (messageBoxAnswers_.empty()) {
    ADD_FAILURE() << "a message box came unasked: " << lastMessageBox_.text;
  } else {
    answer = messageBoxAnswers_.front();
    messageBoxAnswers_.pop_front();
  }
  return answer == IDOK ? wxID_OK : wxID_CANCEL;
}

int WxUserDriver::answerFileDialog(wxDialog* dialog) {
  FileAnswer answer;
  if (fileDialogAnswers_.empty()) {
    ADD_FAILURE() << "a file dialog came unasked";
  } else {
    answer = fileDialogAnswers_.front();
    fileDialogAnswers_.pop_front();
  }
  // The user names the file in the chooser and confirms, or cancels. Choosers only accept
  // names in folders that exist, so a missing folder is made for the time of the test.
  if (answer.result == IDOK) {
    const std::filesystem::path folder = std::filesystem::u8path(answer.path).parent_path();
    std::error_code error;
    if (!folder.empty() && std::filesystem::create_directory(folder, error))
      madeFolders_.push_back(folder.u8string());
  }
  return test::answerFileDialog(static_cast<wxFileDialog*>(dialog), answer.result == IDOK,
                                answer.path);
}

void WxUserDriver::answerOwnDialog(wxDialog* dialog) {
  // The dialog really opens; once it runs, the user reads the edits, types and presses a
  // button.
  whenModal(dialog, [this, dialog] {
    lastEditsAtOpen_.clear();
    lastRefusals_.clear();
    for (int id : {IDC_EDIT_NAME, IDC_EDIT_URL, IDC_EDIT_IMAGE_URL}) {
      if (auto* edit = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id))) {
        lastEditsAtOpen_[id] = fromWx(edit->GetValue());
      }
    }
    actInDialog(dialog);
  });
}

// Types the next answer's texts and presses its button; a confirm that the dialog refuses
// leaves it open, and the user goes on with the next answer.
void WxUserDriver::actInDialog(wxDialog* dialog) {
  {
    DialogAnswer answer;
    if (dialogAnswers_.empty()) {
      ADD_FAILURE() << "a dialog came unasked: " << fromWx(dialog->GetTitle());
    } else {
      answer = dialogAnswers_.front();
      dialogAnswers_.pop_front();
    }
    for (const auto& [id, text] : answer.typed) {
      if (auto* edit = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id)))
        edit->SetValue(toWx(text));
    }
    wxButton* button = buttonOf(dialog, answer.result == IDOK ? wxID_OK : wxID_CANCEL);
    if (!button) {
      dialog->EndModal(wxID_CANCEL);
      return;
    }
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
    if (answer.result != IDOK || !dialog->IsModal() || dialog->GetReturnCode() == wxID_OK) return;
  }
  const wxWindow* focus = wxWindow::FindFocus();
  lastRefusals_.push_back({lastMessageBox_.text, focus ? focus->GetId() : 0});
  actInDialog(dialog);
}

void WxUserDriver::onMenuOpen(wxMenuEvent& event) {
  event.Skip();
  wxMenu* menu = event.GetMenu();
  if (!menu || !event.IsPopup()) return;
  int answer = 0;
  if (!popupAnswers_.empty()) {
    answer = popupAnswers_.front();
    popupAnswers_.pop_front();
  }
  // The menu is shown and holds the pointer once the open event has been handled.
  const int itemId = window_.shownMenuItemId(answer);
  chooseFromOpeningMenu(&window_, menu, itemId);
}

}  // namespace orvalen::test
