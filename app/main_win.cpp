#include <wx/app.h>

#include "command_line.h"
#include "editor/wx/utf8.h"

// WinMain: the toolkit's own, which reads the wide command line into the application's argv.
wxIMPLEMENT_WXWIN_MAIN

    namespace orvalen::app {
  const std::vector<std::string>& commandLineArguments() {
    static const std::vector<std::string> arguments = [] {
      std::vector<std::string> utf8;
      for (int i = 1; wxTheApp && i < wxTheApp->argc; ++i) {
        utf8.push_back(wx::fromWx(wxTheApp->argv[i]));
      }
      return utf8;
    }();
    return arguments;
  }

}  // namespace orvalen::app
