#pragma once

// What the benchmarks of the editor window share: wxWidgets started on a private X server.

#include <cstdio>
#include <cstdlib>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include "tests/gui/private_display.h"

namespace orvalen::bench {

// Starts wxWidgets on display as the program does (PNG images, settings in memory); false
// with the reason printed when there is no display or wxWidgets does not start. The caller
// ends with wxEntryCleanup().
inline bool startWx(const test::PrivateDisplay& display, const char* programName) {
  if (display.name().empty()) {
    std::fprintf(stderr, "%s\n", display.why().c_str());
    return false;
  }
  ::setenv("GSETTINGS_BACKEND", "memory", 1);
  wxApp::SetInstance(new wxApp);
  static char name[64];
  std::snprintf(name, sizeof name, "%s", programName);
  static char* argv[] = {name, nullptr};
  int argc = 1;
  if (!wxEntryStart(argc, argv)) return false;
  wxTheApp->CallOnInit();
  wxImage::AddHandler(new wxPNGHandler);
  return true;
}

}  // namespace orvalen::bench
