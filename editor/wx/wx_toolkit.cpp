#include "wx_toolkit.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/utils.h>

#include "about_dialog.h"
#include "app_icon.h"
#include "category_dialog.h"
#include "editor/user_texts.h"
#include "editor_dialog.h"
#include "native_window.h"
#include "tree_control.h"
#include "utf8.h"
#include "video_details_dialog.h"

namespace orvalen::wx {
namespace {

// The filter as the editor writes it ("label|pattern||") in wxWidgets' form ("label|pattern").
wxString toWxFilter(const std::string& filter) {
  std::string trimmed = filter;
  while (trimmed.size() >= 2 && trimmed.compare(trimmed.size() - 2, 2, "||") == 0) {
    trimmed.resize(trimmed.size() - 2);
  }
  return toWx(trimmed);
}

}  // namespace

wxWindow* modalParent() {
  // The innermost modal dialog that shows: the editor over the chooser, a dialog over the
  // editor. Window managers need not report an active window.
  for (auto it = wxTopLevelWindows.rbegin(); it != wxTopLevelWindows.rend(); ++it) {
    auto* dialog = dynamic_cast<wxDialog*>(*it);
    if (dialog && dialog->IsShown() && dialog->IsModal()) return dialog;
  }
  if (wxWindow* active = wxGetActiveWindow()) return active;
  return wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}

int WxToolkit::runEditorWindow(EditorWindowClient& client) {
  EditorDialog window(modalParent());
  window.attach(&client);
  client.attachWindow(&window);
  if (editorCreated_) editorCreated_(window);
  const bool focusFirstControl = client.OnInitDialog();
  int code = 0;
  if (const auto ended = window.endedBeforeShowing()) {
    code = *ended;
  } else {
    if (focusFirstControl) window.categoryTree().SetFocus();
    code = window.runModal();
  }
  client.attachWindow(nullptr);
  window.attach(nullptr);
  return code;
}

int WxToolkit::runModalDialog(int templateId, DialogClient& client) {
  if (templateId == IDD_ITEM_DIALOG) {
    VideoDetailsDialog dialog(modalParent(), client);
    return dialog.runModal();
  }
  if (templateId == IDD_ABOUTBOX) {
    AboutDialog dialog(modalParent(), client);
    return dialog.runModal();
  }
  return -1;
}

CategoryChoiceResult WxToolkit::runCategoryDialog(const CategoryChoice& choice) {
  CategoryDialog dialog(modalParent(), choice);
  return dialog.runModal();
}

FileDialogResult WxToolkit::runFileDialog(FileDialogKind kind, const std::string& filter) {
  // No default extension and no file-must-exist check: the path is used as the user gave it.
  const long style = kind == FileDialogKind::kSave ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN;
  const char* title = kind == FileDialogKind::kSave ? text::kSaveAsCaption : text::kOpenCaption;
  wxFileDialog dialog(modalParent(), wxString::FromUTF8(title), wxString(), wxString(),
                      toWxFilter(filter), style);
  dialog.SetIcon(appIcon());
  if (showFileDialog(dialog) != wxID_OK) return {};
  return {IDOK, fromWx(dialog.GetPath())};
}

void WxToolkit::beginBusyCursor() {
  wxBeginBusyCursor();
  // The caller may not come back to the event loop for a while (a statement waiting for a
  // lock): the new cursor must reach the screen now.
  for (wxWindow* window : wxTopLevelWindows) window->Update();
  wxTheApp->ProcessPendingEvents();
}

void WxToolkit::endBusyCursor() {
  wxEndBusyCursor();
}

namespace {

// Swallows the user's key presses and clicks while it lives.
class InputSwallower : public wxEventFilter {
 public:
  InputSwallower() { wxEvtHandler::AddFilter(this); }
  ~InputSwallower() override { wxEvtHandler::RemoveFilter(this); }
  InputSwallower(const InputSwallower&) = delete;
  InputSwallower& operator=(const InputSwallower&) = delete;

  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    const bool input = type == wxEVT_CHAR_HOOK || type == wxEVT_KEY_DOWN || type == wxEVT_CHAR ||
                       type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK ||
                       type == wxEVT_RIGHT_DOWN || type == wxEVT_RIGHT_DCLICK ||
                       type == wxEVT_MIDDLE_DOWN || type == wxEVT_MIDDLE_DCLICK ||
                       type == wxEVT_AUX1_DOWN || type == wxEVT_AUX2_DOWN ||
                       type == wxEVT_MOUSEWHEEL || type == wxEVT_CONTEXT_MENU;
    // Taken as handled, so no control acts on it either.
    return input ? Event_Processed : Event_Skip;
  }
};

}  // namespace

// Only the events of user input are taken from the queue, and each of them is swallowed;
// everything else stays queued in its order.
void WxToolkit::discardPendingInput() {
  InputSwallower swallower;
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
    loop->YieldFor(wxEVT_CATEGORY_USER_INPUT);
    return;
  }
  wxEventLoop loop;
  wxEventLoopActivator active(&loop);
  loop.YieldFor(wxEVT_CATEGORY_USER_INPUT);
}

}  // namespace orvalen::wx
