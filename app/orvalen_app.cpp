// Start-up: set up the toolkit, run the chooser, and end when it has ended. The chooser runs
// the editor; once an editor has run, or the chooser was closed, the program ends.

#include <wx/app.h>
#include <wx/image.h>

#include "editor/orvalen_dlg.h"
#include "editor/wx/app_icon.h"
#include "editor/wx/wx_toolkit.h"
#include "type_sel_dlg.h"

class COrvalenApp : public wxApp {
 public:
  bool OnInit() override {
    // Command-line arguments are ignored, so the base class's parsing is not called.
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
    chooser.ShowModal();
    SetTopWindow(nullptr);
    return 0;
  }
};

wxIMPLEMENT_APP(COrvalenApp);
