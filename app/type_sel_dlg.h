#pragma once

#include <functional>
#include <string>

#include <wx/dialog.h>

#include "db/failure_kind.h"
#include "editor/toolkit.h"

namespace orvalen::app {

// Runs the editor modally on a plugin file. Returns false when the file could not be opened as
// a plugin file; the user has been told why by then.
using EditorRunner = std::function<bool(const std::string& path)>;

// Where the chooser looks for the template, besides the executable's own folder.
struct TemplateLocations {
  std::string dataDirFromExe;    // relative to the executable's folder
  std::string installedDataDir;  // absolute
};

// The chooser shown at start: design a new plugin file from the template, or modify an
// existing one. It ends, confirmed, once an editor has run on a file; the close box and Esc
// end it cancelled. A cancelled file dialog, a new file that could not be made (no template,
// a folder that cannot be written; reported), or a file the editor could not open, leaves it
// open for another choice. A file dropped onto it opens as one chosen in the open dialog.
class CTypeSelDlg : public wxDialog {
 public:
  CTypeSelDlg(Toolkit& toolkit, EditorRunner runEditor, TemplateLocations templates);

  void OnNewPlugin();
  void OnOpenPlugin();
  void OnDropPlugin(const std::string& path);
  // Before the chooser shows: edits the file given on the command line. False when it could
  // not be opened (reported), and the chooser is to show.
  bool OnOpenGivenPlugin(const std::string& path);

 private:
  // Runs the editor on path and ends the chooser; if the editor could not open the file, the
  // chooser stays and a file that only this attempt created is removed again.
  void editAndEnd(const std::string& path, bool existedBefore);
  // Runs the editor on path; whether it could open the file.
  bool edit(const std::string& path, bool existedBefore);

  std::string choosePluginFile(FileDialogKind kind);
  void reportCreateFailure(FailureKind kind, const std::string& path, const std::string& detail);

  Toolkit& toolkit_;
  EditorRunner runEditor_;
  TemplateLocations templates_;
  bool editing_ = false;  // an editor runs: drops are not taken
};

}  // namespace orvalen::app
