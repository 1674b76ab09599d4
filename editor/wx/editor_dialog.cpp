#include "editor_dialog.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/statbox.h>

#include "app_icon.h"
#include "dialog_units.h"
#include "editor/user_texts.h"
#include "list_control.h"
#include "message_box.h"
#include "native_window.h"
#include "tree_control.h"
#include "utf8.h"

namespace orvalen::wx {
namespace {

constexpr long kEditorStyle =
    wxCAPTION | wxSYSTEM_MENU | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX;

int toEndCode(int wxCode) {
  if (wxCode == wxID_OK) return IDOK;
  if (wxCode == wxID_CANCEL) return IDCANCEL;
  return wxCode;
}

Point toPoint(const wxPoint& point) {
  return {point.x, point.y};
}

// Pop-up menu entries are numbered from here; command ids are too large for menu ids.
constexpr int kFirstMenuItemId = 100;

}  // namespace

EditorDialog::EditorDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Orvalen", wxDefaultPosition, wxDefaultSize, kEditorStyle) {
  useTemplateFont(this, "MS Shell Dlg", 9);
  setClientSizeInDialogUnits(this, 442, 321);
  // The group boxes come first so that they lie beneath the controls they frame; they take no
  // focus, so the tab order is the tree, then the list.
  const wxRect typesBox = dialogUnitsToPixels(this, 7, 7, 161, 292);
  groupTypes_ = new wxStaticBox(this, IDC_GROUP_TYPES, toWx(text::kGroupTypes),
                                typesBox.GetPosition(), typesBox.GetSize());
  const wxRect itemsBox = dialogUnitsToPixels(this, 174, 10, 268, 288);
  groupItems_ = new wxStaticBox(this, IDC_GROUP_ITEMS, toWx(text::kGroupItems),
                                itemsBox.GetPosition(), itemsBox.GetSize());
  const wxRect treeRect = dialogUnitsToPixels(this, 15, 20, 147, 271);
  tree_ = new CategoryTreeCtrl(this, IDC_TREE_TYPES, treeRect.GetPosition(), treeRect.GetSize());
  const wxRect listRect = dialogUnitsToPixels(this, 182, 22, 252, 268);
  list_ = new VideoListCtrl(this, IDC_LIST_ITEMS, listRect.GetPosition(), listRect.GetSize());

  tree_->setMessageSink([this](const WindowMessage& message) { deliver(message); });
  bindMouseForContextMenu(tree_, IDC_TREE_TYPES);
  // The list's rows and its header (its children, where it has them) both belong to it.
  if (list_->GetChildren().empty()) bindMouseForContextMenu(list_, IDC_LIST_ITEMS);
  for (wxWindow* part : list_->GetChildren()) bindMouseForContextMenu(part, IDC_LIST_ITEMS);
  list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, &EditorDialog::onListItemActivated, this);
  bindDragAndDrop();
  createFindBox();
  Bind(wxEVT_SIZE, &EditorDialog::onSize, this);
  Bind(wxEVT_CHAR_HOOK, &EditorDialog::onCharHook, this);
  Bind(wxEVT_CONTEXT_MENU, &EditorDialog::onContextMenu, this);
  systemMenu_ = attachSystemMenu(this, [this](const WindowMessage& message) {
    return target_ ? target_->dispatch(message) : MessageResult{};
  });
  CentreOnScreen();
}

EditorDialog::~EditorDialog() {
  tree_->setMessageSink(nullptr);
}

void EditorDialog::attach(MessageTarget* target) {
  target_ = target;
}

int EditorDialog::runModal() {
  shown_ = true;
  return toEndCode(ShowModal());
}

MessageResult EditorDialog::deliver(const WindowMessage& message) {
  return target_ ? target_->dispatch(message) : MessageResult{};
}

wxWindow* EditorDialog::control(int controlId) const {
  switch (controlId) {
    case IDC_TREE_TYPES:
      return tree_;
    case IDC_LIST_ITEMS:
      return list_;
    case IDC_GROUP_TYPES:
      return groupTypes_;
    case IDC_GROUP_ITEMS:
      return groupItems_;
    default:
      throw std::logic_error("no such control in the editor window");
  }
}

bool EditorDialog::hasControl(int controlId) const {
  switch (controlId) {
    case IDC_TREE_TYPES:
    case IDC_LIST_ITEMS:
      return true;
    case IDC_GROUP_TYPES:
      return groupTypes_ != nullptr;
    case IDC_GROUP_ITEMS:
      return groupItems_ != nullptr;
    default:
      return false;
  }
}

TreeControl& EditorDialog::tree() {
  return *tree_;
}

ListControl& EditorDialog::list() {
  return *list_;
}

Rect EditorDialog::clientRect(int controlId) const {
  const wxSize size = control(controlId)->GetClientSize();
  return {0, 0, size.GetWidth(), size.GetHeight()};
}

Point EditorDialog::screenToClient(int controlId, Point screen) const {
  return toPoint(control(controlId)->ScreenToClient(wxPoint(screen.x, screen.y)));
}

Point EditorDialog::clientToScreen(int controlId, Point client) const {
  return toPoint(control(controlId)->ClientToScreen(wxPoint(client.x, client.y)));
}

void EditorDialog::moveControl(int controlId, int x, int y, int width, int height, bool repaint) {
  wxWindow* window = control(controlId);
  window->SetSize(x, y, std::max(0, width), std::max(0, height), wxSIZE_ALLOW_MINUS_ONE);
  if (repaint) window->Refresh();
}

Rect EditorDialog::windowClientRect() const {
  const wxSize size = GetClientSize();
  return {0, 0, size.GetWidth(), size.GetHeight()};
}

Size EditorDialog::systemIconSize() const {
  return {wxSystemSettings::GetMetric(wxSYS_ICON_X, this),
          wxSystemSettings::GetMetric(wxSYS_ICON_Y, this)};
}

void EditorDialog::drawIcon(int /*iconId*/, int x, int y) {
  wxClientDC dc(this);
  dc.DrawBitmap(appIconBitmap(), x, y, true);
}

void EditorDialog::setIcon(int /*iconId*/, bool /*big*/) {
  setApplicationIcon(this);
}

int EditorDialog::trackPopupMenu(const orvalen::PopupMenu& menu, Point screen) {
  wxMenu popup;
  shownMenuCommands_.clear();
  for (const auto& entry : menu.entries) {
    if (entry.commandId == 0) {
      popup.AppendSeparator();
      continue;
    }
    const int itemId = kFirstMenuItemId + static_cast<int>(shownMenuCommands_.size());
    shownMenuCommands_.push_back(entry.commandId);
    popup.Append(itemId, toWx(entry.text));
    popup.Enable(itemId, entry.enabled);
  }
  const int chosen =
      GetPopupMenuSelectionFromUser(popup, ScreenToClient(wxPoint(screen.x, screen.y)));
  // Let the menu finish closing (and give back the keyboard) before the command runs; a
  // label edit started while it still holds the keyboard would end at once.
  wxTheApp->Yield(true);
  const int index = chosen - kFirstMenuItemId;
  const bool valid = index >= 0 && index < static_cast<int>(shownMenuCommands_.size());
  const int command = valid ? shownMenuCommands_[static_cast<std::size_t>(index)] : 0;
  shownMenuCommands_.clear();
  return command;
}

int EditorDialog::shownMenuItemId(int commandId) const {
  for (std::size_t index = 0; index < shownMenuCommands_.size(); ++index) {
    if (shownMenuCommands_[index] == commandId) return kFirstMenuItemId + static_cast<int>(index);
  }
  return wxID_NONE;
}

int EditorDialog::messageBox(const std::string& text, const std::string& caption, unsigned style) {
  const bool okCancel = (style & MB_OKCANCEL) != 0;
  const int answer = showMessageBox(this, text, caption, style);
  // Closing a box that only has OK counts as OK.
  return (!okCancel || answer == wxID_OK) ? IDOK : IDCANCEL;
}

void EditorDialog::endDialog(int code) {
  if (!shown_) {
    endCodeBeforeShowing_ = code;
    return;
  }
  EndModal(code);
}

void EditorDialog::sendContextMenu(int controlId, const wxPoint& screen) {
  deliver(ContextMenuMessage{controlId, toPoint(screen)});
}

void EditorDialog::bindMouseForContextMenu(wxWindow* window, int controlId) {
  // What a right click selects is the receiver's to decide, so the press is kept from the
  // control; like any click elsewhere it ends a running label edit, confirmed. The menu is
  // asked for when the button is let go, at the pointer.
  window->Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent&) {
    if (tree_->isEditingLabel()) tree_->endEditByUser(true);
  });
  window->Bind(wxEVT_RIGHT_UP, [this, window, controlId](wxMouseEvent& event) {
    sendContextMenu(controlId, window->ClientToScreen(event.GetPosition()));
  });
}

int EditorDialog::controlOf(const wxWindow* window) const {
  for (const wxWindow* at = window; at && at != this; at = at->GetParent()) {
    if (at == tree_) return IDC_TREE_TYPES;
    if (at == list_) return IDC_LIST_ITEMS;
  }
  return 0;
}

// The Menu key and Shift+F10 ask for the focused control's menu; F2, Delete and Insert go to
// the receiver, and to the control when the receiver leaves them.
bool EditorDialog::handleControlKey(const wxKeyEvent& event) {
  // The key hook starts at the window that has the keyboard focus.
  const int controlId = controlOf(dynamic_cast<wxWindow*>(event.GetEventObject()));
  if (controlId == 0) return false;
  const int code = event.GetKeyCode();
  const int modifiers = event.GetModifiers();
  const bool menuKey =
      code == WXK_MENU || code == WXK_WINDOWS_MENU || (code == WXK_F10 && modifiers == wxMOD_SHIFT);
  if (menuKey) {
    deliver(ContextMenuMessage{controlId, {-1, -1}});
    return true;
  }
  if ((modifiers & ~(wxMOD_SHIFT | wxMOD_CONTROL)) != 0) return false;
  const bool shift = (modifiers & wxMOD_SHIFT) != 0;
  const bool control = (modifiers & wxMOD_CONTROL) != 0;
  // Letters count with Ctrl only; F3 alone or with Shift.
  if (code == 'F' || code == 'Y' || code == 'Z') {
    return control && deliver(KeyDownMessage{controlId, code, shift, true}).handled;
  }
  if (code == WXK_F3) {
    return !control && deliver(KeyDownMessage{controlId, VK_F3, shift, false}).handled;
  }
  if (modifiers != wxMOD_NONE) return false;
  int key = 0;
  switch (code) {
    case WXK_F2:
      key = VK_F2;
      break;
    case WXK_DELETE:
    case WXK_NUMPAD_DELETE:
      key = VK_DELETE;
      break;
    case WXK_INSERT:
    case WXK_NUMPAD_INSERT:
      key = VK_INSERT;
      break;
    default:
      return false;
  }
  return deliver(KeyDownMessage{controlId, key}).handled;
}

void EditorDialog::onListItemActivated(wxListEvent& event) {
  deliver(ListDoubleClickMessage{IDC_LIST_ITEMS, static_cast<int>(event.GetIndex())});
}

void EditorDialog::onSize(wxSizeEvent& event) {
  event.Skip();
  placeFindBox();
  const wxSize client = GetClientSize();
  const int kind = IsMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
  deliver(SizeMessage{kind, client.GetWidth(), client.GetHeight()});
}

void EditorDialog::onCharHook(wxKeyEvent& event) {
  if (findBox_->IsShown() &&
      findBox_->IsDescendant(dynamic_cast<wxWindow*>(event.GetEventObject()))) {
    if (!handleFindBoxKey(event)) event.Skip();
    return;
  }
  if (tree_->isEditingLabel()) {
    // While a label is edited, Enter and Esc end the edit, not the window; every other key
    // goes to the edit.
    switch (event.GetKeyCode()) {
      case WXK_ESCAPE:
        tree_->endEditByUser(false);
        return;
      case WXK_RETURN:
      case WXK_NUMPAD_ENTER:
        tree_->endEditByUser(true);
        return;
      default:
        event.Skip();
        return;
    }
  }
  switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
      endDialog(IDCANCEL);
      return;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      endDialog(IDOK);
      return;
    case WXK_F1:
      deliver(HelpMessage{});
      return;
    default:
      if (!handleControlKey(event)) event.Skip();
  }
}

void EditorDialog::onContextMenu(wxContextMenuEvent& event) {
  // From the keyboard the position is (-1, -1), passed on as it is, with the focused control.
  const wxPoint screen = event.GetPosition();
  int controlId = screen == wxDefaultPosition ? focusedControl() : 0;
  for (int id : {IDC_TREE_TYPES, IDC_LIST_ITEMS}) {
    if (control(id)->GetScreenRect().Contains(screen)) controlId = id;
  }
  sendContextMenu(controlId, screen);
}

}  // namespace orvalen::wx
