#pragma once

#include <functional>

#include "editor/toolkit.h"

class wxWindow;

namespace orvalen::wx {

class EditorDialog;

// The toolkit operations carried out with wxWidgets: the editor window, the dialogs of the
// video details and the about box, file dialogs and the busy cursor.
class WxToolkit : public Toolkit {
 public:
  int runEditorWindow(EditorWindowClient& client) override;
  int runModalDialog(int templateId, DialogClient& client) override;
  CategoryChoiceResult runCategoryDialog(const CategoryChoice& choice) override;
  FileDialogResult runFileDialog(FileDialogKind kind, const std::string& filter) override;
  void beginBusyCursor() override;
  void endBusyCursor() override;
  void discardPendingInput() override;

  // Called with the editor window once it is created and attached, before its client's
  // initialisation; tests use it to reach the window.
  void onEditorWindowCreated(std::function<void(EditorDialog&)> observer) {
    editorCreated_ = std::move(observer);
  }

 private:
  std::function<void(EditorDialog&)> editorCreated_;
};

// The window modal dialogs are shown over: the active window, else the application's main
// window (nullptr when there is none).
wxWindow* modalParent();

}  // namespace orvalen::wx
