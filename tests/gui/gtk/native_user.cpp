// Answers through GTK itself: its dialog response and its menu calls, looked up in the GTK
// library that wxWidgets has loaded.

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <wx/filedlg.h>
#include <wx/menu.h>

#include "editor/wx/utf8.h"
#include "tests/gui/native_user.h"

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
  dialog->CallAfter([dialog, confirm, path] {
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

}  // namespace orvalen::test
