// Answers through GTK itself: its dialog response and its menu calls, looked up in the GTK
// library that wxWidgets has loaded.

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include "editor/wx/utf8.h"
#include "tests/gui/native_user.h"
#include "tests/gui/when_modal.h"

namespace orvalen::test {
namespace {

// The GTK calls that click an entry of a shown pop-up menu, or close it, as the pointer would.
// They are looked up in the GTK library that wxWidgets has loaded.
constexpr int kGtkResponseAccept = -3;
constexpr int kGtkResponseCancel = -6;

// Presses a button of a GTK dialog, as a click on it would.
void respondToGtkDialog(wxDialog* dialog, int response) {
  using Respond = void (*)(void* dialog, int response);
  static const auto respond =
      reinterpret_cast<Respond>(::dlsym(RTLD_DEFAULT, "gtk_dialog_response"));
  if (!respond) {
    ADD_FAILURE() << "gtk_dialog_response was not found";
    dialog->EndModal(wxID_CANCEL);
    return;
  }
  respond(dialog->m_widget, response);
}

struct GtkMenuCalls {
  void (*activateItem)(void* shell, void* item, int forceDeactivate) = nullptr;
  void (*deactivate)(void* shell) = nullptr;
  int (*isSensitive)(void* widget) = nullptr;

  GtkMenuCalls() {
    activateItem = reinterpret_cast<decltype(activateItem)>(
        ::dlsym(RTLD_DEFAULT, "gtk_menu_shell_activate_item"));
    deactivate =
        reinterpret_cast<decltype(deactivate)>(::dlsym(RTLD_DEFAULT, "gtk_menu_shell_deactivate"));
    isSensitive =
        reinterpret_cast<decltype(isSensitive)>(::dlsym(RTLD_DEFAULT, "gtk_widget_is_sensitive"));
  }
  bool available() const { return activateItem && deactivate && isSensitive; }
};

const GtkMenuCalls& gtkMenuCalls() {
  static const GtkMenuCalls calls;
  return calls;
}

void clickMenuEntry(wxMenu* menu, int itemId) {
  const GtkMenuCalls& gtk = gtkMenuCalls();
  if (!gtk.available()) {
    ADD_FAILURE() << "the GTK menu calls were not found";
    return;
  }
  wxMenuItem* item = itemId != wxID_NONE ? menu->FindItem(itemId) : nullptr;
  if (item && gtk.isSensitive(item->GetMenuItem())) {
    gtk.activateItem(menu->m_menu, item->GetMenuItem(), 1);
  } else {
    // A greyed entry cannot be clicked; the user closes the menu instead.
    gtk.deactivate(menu->m_menu);
  }
}

}  // namespace

void chooseFromOpeningMenu(wxWindow* owner, wxMenu* menu, int itemId) {
  // The menu is shown and holds the pointer once the open event has been handled.
  owner->CallAfter([menu, itemId] { clickMenuEntry(menu, itemId); });
}

int answerFileDialog(wxFileDialog* dialog, bool confirm, const std::string& path) {
  // The chooser really opens; the user names the file in it and confirms, or cancels.
  whenModal(dialog, [dialog, confirm, path] {
    if (confirm) dialog->SetPath(wx::toWx(path));
    respondToGtkDialog(dialog, confirm ? kGtkResponseAccept : kGtkResponseCancel);
  });
  return wxID_NONE;
}

bool sendSystemCommand(wxWindow*, unsigned) {
  return false;
}

std::optional<std::string> systemMenuEntry(wxWindow*, unsigned) {
  return std::nullopt;
}

// Through the X server with xdotool; the pointer rests on the window, so that the key goes to
// it without a window manager.
bool pressRealKey(wxWindow* control, int keyCode, bool shift) {
  using WidgetWindow = void* (*)(void*);
  using WindowXid = unsigned long (*)(void*);
  static const auto widgetWindow =
      reinterpret_cast<WidgetWindow>(::dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  static const auto windowXid =
      reinterpret_cast<WindowXid>(::dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
  if (!widgetWindow || !windowXid || std::system("command -v xdotool >/dev/null 2>&1") != 0) {
    return false;
  }
  const unsigned long xid = windowXid(widgetWindow(wxGetTopLevelParent(control)->GetHandle()));
  const std::string name = keyCode == WXK_F2       ? "F2"
                           : keyCode == WXK_DELETE ? "Delete"
                           : keyCode == WXK_INSERT ? "Insert"
                           : keyCode == WXK_MENU   ? "Menu"
                                                   : "F10";
  const std::string command = "xdotool mousemove --window " + std::to_string(xid) + " 20 20 key " +
                              (shift ? "shift+" : "") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// wxWidgets' own list takes made-up mouse events as the mouse's.
void doubleClickAt(wxWindow* window, const wxPoint& screen) {
  for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_LEFT_UP}) {
    wxMouseEvent click(type);
    click.SetPosition(window->ScreenToClient(screen));
    click.m_leftDown = type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK;
    click.SetEventObject(window);
    window->ProcessWindowEvent(click);
  }
}

}  // namespace orvalen::test
