#include "app_icon.h"

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

}  // namespace orvalen::wx
