#pragma once

// An editor window on a real plugin file, driven through the test toolkit, and the checks that
// compare what the window shows with what the file holds.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/orvalen_dlg.h"
#include "tests/editor/test_toolkit.h"
#include "tests/support/temp_dir.h"

namespace orvalen::test {

struct TypeRow {
  int id;
  std::optional<int> parentId;  // nothing: NULL, or a text that is no whole number
  std::string name;             // UTF-8
};

struct ItemRow {
  int id;
  int parentId;
  std::string name, url, imageUrl;  // UTF-8
};

// Makes a plugin file with our engine: both tables with id INTEGER PRIMARY KEY, holding the
// given rows, with their texts in the plugin file code page.
void MakePluginFile(const std::string& path, const std::vector<TypeRow>& types,
                    const std::vector<ItemRow>& items);

// Runs SQL on the file through our engine (as another program would, behind the editor).
void RunOnFile(const std::string& path, const std::string& sql);

// The file's rows, in id order, read with our engine or with the reference SQLite 2.8.
struct FileRows {
  std::vector<TypeRow> types;
  std::vector<ItemRow> items;
};
FileRows ReadWithEngine(const std::string& path);
FileRows ReadWithReference(const std::string& path);

// An editor window on one plugin file. The window is attached and initialised by the
// constructor, as the toolkit does before the window shows.
class EditorSession {
 public:
  // messageBoxAnswers answer the message boxes that initialisation shows.
  explicit EditorSession(const std::string& path, Delivery delivery = Delivery::kNested,
                         TestWindowOptions options = {}, std::deque<int> messageBoxAnswers = {});
  ~EditorSession();

  COrvalenDlg& dlg() { return *dlg_; }
  TestToolkit& toolkit() { return toolkit_; }
  TestEditorWindow& window() { return *window_; }
  TestTree& tree() { return window_->testTree(); }
  TestList& list() { return window_->testList(); }
  bool initResult() const { return initResult_; }

  // The item reached from the root by labels, e.g. item({"A", "B"}); the root for {}.
  TreeItem item(const std::vector<std::string>& labels);
  void select(TreeItem item);
  void select(const std::vector<std::string>& labels) { select(item(labels)); }
  // A command as if chosen in a context menu, its enabling rule asked first.
  void command(int commandId);
  void endEdit(const std::string& text);
  void cancelEdit();
  // Delivers what is pending: the user's input, then the messages it causes.
  void pump() { window_->takeInput(); }

  // The tree below the root as text: "A(B(F)) C E" with labels, or with item data.
  std::string treeLabels();
  std::string treeData();

 private:
  TestToolkit toolkit_;
  std::unique_ptr<TestEditorWindow> window_;
  std::unique_ptr<COrvalenDlg> dlg_;
  bool initResult_ = false;
};

// Expects that the tree shows exactly the categories of rows, each under the row of its parent
// id, and directly under the root when that is -1, nothing, no row's id, its own id, or when
// the row lies on a cycle of parents; and that the list shows exactly the videos of the
// selected category, numbered 1..n.
void ExpectWindowShows(EditorSession& session, const FileRows& rows);

// The rows (1,-1,A), (2,1,B), (3,5,C), (5,-1,E), (6,2,F) with a few videos in each.
std::vector<TypeRow> SampleTypes();
std::vector<ItemRow> SampleItems();

}  // namespace orvalen::test
