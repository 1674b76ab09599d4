// What the wxWidgets editor window does beyond the toolkit contract: its keys, its layout
// from dialog units, the messages it sends while it runs, and the tree's scroll range. (What a
// right click selects is shown with real clicks by the program's session tests.)

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/statbox.h>

#include "editor/wx/dialog_units.h"
#include "editor/wx/editor_dialog.h"
#include "editor/wx/list_control.h"
#include "editor/wx/tree_control.h"
#include "editor/wx/wx_toolkit.h"
#include "native_user.h"
#include "tests/editor/toolkit_contract.h"
#include "wx_user_driver.h"

namespace orvalen::test {

// The driver brings the contract suite's header along; this program does not run the suite.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ToolkitContract);

namespace {

// A client that records the window's messages and, once the window runs, acts on it.
class ScriptedClient : public EditorWindowClient {
 public:
  explicit ScriptedClient(std::function<void(wx::EditorDialog&)> script)
      : script_(std::move(script)) {}

  void attachWindow(EditorWindow* window) override {
    window_ = dynamic_cast<wx::EditorDialog*>(window);
  }
  bool OnInitDialog() override {
    messagesBeforeInit = recorder.messages.size();
    root = window_->tree().insertItem(TreeItem(), "root");
    window_->CallAfter([this] { script_(*window_); });
    return true;
  }
  MessageResult dispatch(const WindowMessage& message) override {
    recorder.dispatch(message);
    const auto* command = std::get_if<SysCommandMessage>(&message);
    return {!command || command->code < 0xF000, 0};  // the SC_ commands get the default
  }

  RecordingTarget recorder;
  TreeItem root;
  std::size_t messagesBeforeInit = 0;

 private:
  std::function<void(wx::EditorDialog&)> script_;
  wx::EditorDialog* window_ = nullptr;
};

int runWith(ScriptedClient& client) {
  wx::WxToolkit toolkit;
  return toolkit.runEditorWindow(client);
}

TEST(EditorWindow, EscCancelsEnterConfirmsAndF1AsksForHelp) {
  ScriptedClient escape([](wx::EditorDialog& window) {
    pressKey(&window.categoryTree(), WXK_F1);
    pressKey(&window.categoryTree(), WXK_ESCAPE);
  });
  EXPECT_EQ(runWith(escape), IDCANCEL);
  EXPECT_EQ(escape.recorder.all<HelpMessage>().size(), 1u);

  ScriptedClient enter([](wx::EditorDialog& window) { pressKey(&window.videoList(), WXK_RETURN); });
  EXPECT_EQ(runWith(enter), IDOK);
}

TEST(EditorWindow, EnterAndEscDuringALabelEditEndOnlyTheEdit) {
  ScriptedClient client([&client](wx::EditorDialog& window) {
    window.tree().editLabel(client.root);
    wxTextCtrl* edit = window.categoryTree().GetEditControl();
    ASSERT_NE(edit, nullptr);
    edit->SetValue("renamed");
    pressKey(edit, WXK_RETURN);
    window.tree().editLabel(client.root);
    pressKey(window.categoryTree().GetEditControl(), WXK_ESCAPE);
    // The window is still running: end it as the user would.
    pumpWxEvents();
    pressKey(&window.categoryTree(), WXK_ESCAPE);
  });
  EXPECT_EQ(runWith(client), IDCANCEL);
  const auto ends = client.recorder.all<TreeEndLabelEditMessage>();
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[0].text, std::optional<std::string>("renamed"));
  EXPECT_FALSE(ends[1].text.has_value());
}

TEST(EditorWindow, ControlsStandWhereTheDialogUnitsPutThemUntilTheFirstResize) {
  wx::EditorDialog window(nullptr);
  const wxSize client = window.GetClientSize();
  EXPECT_EQ(client, window.ConvertDialogToPixels(wxSize(442, 321)));
  EXPECT_EQ(window.GetTitle(), "Orvalen");
  const wxRect tree = wx::dialogUnitsToPixels(&window, 15, 20, 147, 271);
  EXPECT_EQ(window.categoryTree().GetRect(), tree);
  auto* group = dynamic_cast<wxStaticBox*>(window.FindWindow(IDC_GROUP_ITEMS));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetLabel(), wxString::FromUTF8("内容"));
  EXPECT_TRUE(window.HasFlag(wxRESIZE_BORDER));
  // The tree comes first in the tab order, then the list.
  EXPECT_EQ(static_cast<wxWindow&>(window.categoryTree()).GetNextSibling(), &window.videoList());
}

// Messages come only from the window as it runs; none while the window is made and shown,
// so a client never sees a size before its initialisation.
TEST(EditorWindow, SizesReachTheClientAfterInitialisation) {
  ScriptedClient client([](wx::EditorDialog& window) {
    window.SetClientSize(600, 400);
    pumpWxEvents();
    pressKey(&window.categoryTree(), WXK_ESCAPE);
  });
  runWith(client);
  EXPECT_EQ(client.messagesBeforeInit, 0u);
  const auto sizes = client.recorder.all<SizeMessage>();
  ASSERT_FALSE(sizes.empty());
  EXPECT_EQ(sizes.back().width, 600);
  EXPECT_EQ(sizes.back().height, 400);
}

// Where the window has a system menu (Windows), entries can be added to it and every system
// command reaches the client; one it leaves to the default handling (SC_CLOSE) closes the
// window.
TEST(EditorWindow, SystemCommandsReachTheClientThroughTheSystemMenu) {
  {
    wx::EditorDialog probe(nullptr);
    if (!probe.systemMenu()) GTEST_SKIP() << "windows here have no system menu to extend";
  }
  std::optional<std::string> entry;
  ScriptedClient client([&entry](wx::EditorDialog& window) {
    window.systemMenu()->appendSeparator();
    window.systemMenu()->appendString(IDM_ABOUTBOX, "关于 Orvalen(&A)...");
    entry = systemMenuEntry(&window, IDM_ABOUTBOX);
    sendSystemCommand(&window, IDM_ABOUTBOX + 3);
    sendSystemCommand(&window, 0xF060);  // SC_CLOSE
  });
  EXPECT_EQ(runWith(client), IDCANCEL);
  EXPECT_EQ(entry, std::optional<std::string>("关于 Orvalen(&A)..."));
  const auto commands = client.recorder.all<SysCommandMessage>();
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[0].code, IDM_ABOUTBOX + 3);
  EXPECT_EQ(commands[1].code & 0xFFF0, 0xF060u);
}

}  // namespace
}  // namespace orvalen::test
