#include "app_icon.h"

#ifdef __WXGTK__
#include <dlfcn.h>
#endif

#include "orvalen_icon_png.h"

namespace orvalen::wx {

wxBitmap appIconBitmap() {
  return wxBitmap::NewFromPNGData(kOrvalenIconPng, sizeof kOrvalenIconPng);
}

wxIcon appIcon() {
  wxIcon icon;
  icon.CopyFromBitmap(appIconBitmap());
  return icon;
}

void useAppIconByDefault() {
#ifdef __WXGTK__
  // wxWidgets has no call for GTK's default icon; GTK is loaded, so its own call is looked up
  // (the program is not built against GTK's headers).
  using SetDefaultIcon = void (*)(void* pixbuf);
  static const auto setDefaultIcon =
      reinterpret_cast<SetDefaultIcon>(::dlsym(RTLD_DEFAULT, "gtk_window_set_default_icon"));
  if (setDefaultIcon) setDefaultIcon(appIconBitmap().GetPixbuf());
#endif
}

}  // namespace orvalen::wx
