#pragma once

// The orvalen program on a private X server, driven with the keyboard and mouse; what it wrote
// is read back with the reference SQLite 2.8 engine. Shared by the session test files.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop_session.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace orvalen::test {

// Plugin files hold their texts in code page 936.
std::string gbk(const std::string& utf8);

// The rows of a query with the reference engine, or none when it fails.
std::vector<std::string> rows(const std::string& path, const std::string& sql);

// A plugin file made with the reference engine, then the given statements run on it.
void makePluginFile(const std::string& path, const std::vector<std::string>& inserts);

bool directoryIsEmpty(const std::string& path);

// The middle of the list's second row in the editor window (the list starts 35 pixels down,
// under its header).
constexpr int kSecondRowY = 93;

// Where the tree's lines are in the editor window: the root item's first, then one line per
// item below it; labels start near labelX.
struct TreeLines {
  int labelX;
  int firstLineY;
  int lineHeight;
  int line(int index) const { return firstLineY + index * lineHeight; }
};

class OrvalenSession : public ::testing::Test {
 protected:
  virtual std::unique_ptr<DesktopSession> start() {
    std::vector<std::string> command{ORVALEN_BINARY};
    command.insert(command.end(), arguments_.begin(), arguments_.end());
    return std::make_unique<DesktopSession>(dir_.path(), SessionProgram{command});
  }

  void SetUp() override;
  void TearDown() override;

  DesktopSession& s() { return *session_; }

  // The chooser's buttons stand at these heights of its client area (dialog units of 121).
  void clickChooserButton(int centreInDialogUnits) {
    const auto [width, height] = s().size(chooser_);
    s().click(chooser_, width / 2, height * centreInDialogUnits / 121);
  }
  void chooseNewPlugin() { clickChooserButton(42); }
  void chooseExistingPlugin() { clickChooserButton(78); }

  // Types a name into the file dialog that shows and clicks its confirming button, at the
  // bottom right. The name's completion pop-up may take the first click (or an Enter), so
  // the click is repeated while the dialog stays; the spot lies off the other windows.
  void answerFileDialog(const std::string& title, const std::string& name) {
    auto dialog = s().waitForWindow(title);
    ASSERT_TRUE(dialog) << title << " did not show";
    s().moveTo(*dialog, 20, 20);
    s().type(name);
    const auto [width, height] = s().size(*dialog);
    for (int attempt = 0; attempt < 5 && s().isWindowShown(title); ++attempt) {
      s().click(*dialog, width - 50, height - 24);
      s().waitForWindowGone(title, 2s);
    }
    ASSERT_FALSE(s().isWindowShown(title)) << title << " did not take the name";
  }

  // Cancels the file dialog that shows with Esc.
  void cancelFileDialog(const std::string& title) {
    auto dialog = s().waitForWindow(title);
    ASSERT_TRUE(dialog) << title << " did not show";
    s().moveTo(*dialog, 20, 20);
    s().key("Escape");
    ASSERT_TRUE(s().waitForWindowGone(title)) << title << " did not close on Esc";
  }

  std::string waitForEditor() {
    auto editor = s().waitForWindow("Orvalen");
    EXPECT_TRUE(editor) << "the editor did not show";
    return editor.value_or("");
  }

  // Opens the tree's or the list's context menu with a right click and picks the entry that
  // is `downs` enabled entries down.
  void pickFromMenu(const std::string& editor, int x, int y, int downs) {
    s().click(editor, x, y, 3);
    ASSERT_TRUE(s().waitForMenu()) << "no context menu";
    std::string keys;
    for (int i = 0; i < downs; ++i) keys += "Down ";
    s().key(keys + "Return");
    ASSERT_TRUE(s().waitForMenuGone());
  }
  void pickFromTreeMenu(const std::string& editor, int downs) {
    pickFromMenu(editor, 150, 300, downs);
  }
  void pickFromListMenu(const std::string& editor, int downs) {
    pickFromMenu(editor, 500, 300, downs);
  }

  void typeLabel(const std::string& text) {
    s().key("ctrl+a");
    s().type(text);
    s().key("Return");
  }

  void enterVideo(const std::string& name, const std::string& url, const std::string& image) {
    auto dialog = s().waitForWindow("视频信息");
    ASSERT_TRUE(dialog) << "the video details dialog did not show";
    s().moveTo(*dialog, 20, 20);
    // The focus starts on OK; the name edit is two tab stops on.
    s().key("Tab Tab");
    s().type(name);
    s().key("Tab");
    s().type(url);
    s().key("Tab");
    s().type(image);
    s().key("Return");
    ASSERT_TRUE(s().waitForWindowGone("视频信息"));
  }

  // In the editor of a plugin file without categories: a category of that name under the
  // root, added with Insert and checked in the file.
  void addCategoryWithTheKeyboard(const std::string& editor, const std::string& file,
                                  const std::string& name);

  // In a new plugin's editor: a category 电影 under the root with the videos 功夫 and 英雄,
  // then the category renamed 动作片, each step checked in the file.
  void addRenamedCategoryWithTwoVideos(const std::string& editor, const std::string& file);

  // A catalogue of two top-level categories, each with a sub-category, and four videos.
  void makeCatalogueForMoves(const std::string& file);
  // Every row of the file, all columns, as the reference engine reads them.
  std::vector<std::string> allRows(const std::string& file);
  // In the editor on makeCatalogueForMoves' file: finds a video by a part of its Chinese name,
  // drags it onto another category, drags a category onto another, deletes a branch and
  // undoes the delete; the file is checked after each step and at the end, byte for byte.
  void findDragAndUndoABranchDelete(const std::string& editor, const std::string& file,
                                    const TreeLines& tree);
  // In the editor on makeCatalogueForMoves' file: a playlist with Chinese names and groups,
  // written beside the file, imported into 纪录片 through the tree's menu, the file dialog
  // (answered by answerOpen with the playlist's path) and the summary: one group reused, one
  // made; then the undo takes it all back. The import is downsToImport entries down the tree's
  // menu: GTK's keys pass over greyed entries, Windows' stop on them.
  void importPlaylistAndUndoIt(const std::string& editor, const std::string& file,
                               const TreeLines& tree, int downsToImport,
                               const std::function<void(const std::string&)>& answerOpen);

  void closeEditorAndExpectTheEnd(const std::string& editor) {
    s().moveTo(editor, 150, 300);
    s().key("Escape");
    const auto status = s().waitForExit();
    ASSERT_TRUE(status) << "the program did not end after the editor closed";
    EXPECT_EQ(*status, 0);
  }

  // Acknowledges the error box that shows and returns to the chooser.
  void acknowledgeError() {
    auto box = s().waitForWindow("错误");
    ASSERT_TRUE(box) << "no error was reported";
    s().moveTo(*box, 20, 20);
    s().key("Return");
    ASSERT_TRUE(s().waitForWindowGone("错误"));
  }

  void endAtTheChooser() {
    ASSERT_TRUE(s().isWindowShown("类型选择"));
    s().moveTo(chooser_, 10, 10);
    s().key("Escape");
    const auto status = s().waitForExit();
    ASSERT_TRUE(status) << "Esc did not end the chooser";
    EXPECT_EQ(*status, 0);
  }

  // The chooser, once it shows.
  void waitForChooser() {
    auto chooser = s().waitForWindow("类型选择");
    ASSERT_TRUE(chooser) << "the chooser did not show";
    chooser_ = *chooser;
  }

  TempDir dir_;
  std::unique_ptr<DesktopSession> session_;
  std::string chooser_;
  // The program's arguments, and whether it starts at the chooser: set before SetUp.
  std::vector<std::string> arguments_;
  bool startsAtTheChooser_ = true;
};

}  // namespace orvalen::test
