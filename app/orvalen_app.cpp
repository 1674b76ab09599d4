// Start-up: set up the toolkit, run the chooser, and end when it has ended. The chooser runs
// the editor; once an editor has run, or the chooser was closed, the program ends. A plugin
// file named on the command line (`orvalen PATH`, as the desktop opens files) is edited
// without the chooser; when it cannot be opened, that is reported and the chooser shows.

#include <wx/app.h>
#include <wx/image.h>

#include "command_line.h"
#include "editor/orvalen_dlg.h"
#include "editor/wx/app_icon.h"
#include "editor/wx/wx_toolkit.h"
#include "file_system.h"
#include "plugin_paths.h"
#include "type_sel_dlg.h"

class COrvalenApp : public wxApp {
 public:
  bool OnInit() override {
    // The one argument, a file, is taken in OnRun; the base class's parsing is not called.
    SetAppName("Orvalen");
    SetVendorName("Orvalen");
    wxImage::AddHandler(new wxPNGHandler);
    orvalen::wx::useAppIconByDefault();
    return true;
  }

  // Runs the chooser in place of an application main loop. The process ends with status 0
  // however the chooser ended.
  int OnRun() override {
    orvalen::wx::WxToolkit toolkit;
    const auto runEditor = [&toolkit](const std::string& path) {
      orvalen::COrvalenDlg editor(toolkit, path);
      return editor.DoModal() != orvalen::IDABORT;
    };
    orvalen::app::CTypeSelDlg chooser(toolkit, runEditor,
                                      {ORVALEN_DATA_DIR_FROM_EXE, ORVALEN_INSTALLED_DATA_DIR});
    SetTopWindow(&chooser);
    const std::string given =
        orvalen::app::pluginFileArgument(orvalen::app::commandLineArguments());
    if (given.empty() || !chooser.OnOpenGivenPlugin(orvalen::app::absolutePath(given))) {
      chooser.ShowModal();
    }
    SetTopWindow(nullptr);
    return 0;
  }
};

// The entry point that creates it is the platform's (main_posix.cpp, main_win.cpp).
wxIMPLEMENT_APP_NO_MAIN(COrvalenApp);
