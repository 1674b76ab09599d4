// Opening a plugin file: the tree built from its rows, the list's columns, and files that are
// not plugin files.

#include <gtest/gtest.h>

#include "editor/orvalen_dlg.h"
#include "tests/editor/editor_fixture.h"

namespace orvalen::test {
namespace {

class EditorInit : public ::testing::Test {
 protected:
  std::string path(const std::string& name) { return dir_.file(name); }
  TempDir dir_;
};

// C (id 3) names E (id 5) as its parent: it stands under E although E comes later in id order.
TEST_F(EditorInit, BuildsTheTreeFromTheParentIdsInAnyOrder) {
  MakePluginFile(path("movies.vdb"), SampleTypes(), SampleItems());
  EditorSession session(path("movies.vdb"));
  EXPECT_TRUE(session.initResult());
  TreeItem root = session.tree().rootItem();
  EXPECT_EQ(session.tree().itemText(root), "movies");
  EXPECT_EQ(session.tree().itemData(root), -1);
  EXPECT_EQ(session.tree().children(TreeItem()).size(), 1u);
  EXPECT_EQ(session.treeLabels(), "A(B(F)) E(C)");
  EXPECT_EQ(session.treeData(), "1(2(6)) 5(3)");
  EXPECT_TRUE(session.tree().isExpanded(root));
  EXPECT_FALSE(session.tree().isExpanded(session.item({"A"})));
  EXPECT_FALSE(session.tree().selectedItem());
  EXPECT_EQ(session.list().rowCount(), 0);
  EXPECT_TRUE(session.window().messageBoxes.empty());
}

TEST_F(EditorInit, PreparesTheListColumns) {
  MakePluginFile(path("movies.vdb"), {}, {});
  EditorSession session(path("movies.vdb"));
  const std::vector<TestList::Column>& columns = session.list().columns();
  ASSERT_EQ(columns.size(), 4u);
  EXPECT_EQ(columns[0].heading, "序号");
  EXPECT_EQ(columns[0].width, 40);
  EXPECT_EQ(columns[0].format, LVCFMT_CENTER);
  EXPECT_EQ(columns[1].heading, "视频名称");
  EXPECT_EQ(columns[1].width, 100);
  EXPECT_EQ(columns[1].format, LVCFMT_CENTER);
  EXPECT_EQ(columns[2].heading, "视频网址");
  EXPECT_EQ(columns[2].width, 200);
  EXPECT_EQ(columns[2].format, LVCFMT_LEFT);
  EXPECT_EQ(columns[3].heading, "图片网址");
  EXPECT_EQ(columns[3].format, LVCFMT_LEFT);
  EXPECT_EQ(session.list().extendedStyle(), 0x21u);
  EXPECT_EQ(session.treeLabels(), "") << "an empty catalogue gives the root alone";
}

TEST_F(EditorInit, TheRootIsNamedAfterTheFileUpToItsFirstDot) {
  for (auto [file, label] : std::vector<std::pair<std::string, std::string>>{
           {"a.b.vdb", "a"}, {"noext", "noext"}, {".hidden.vdb", ""}, {"影片.vdb", "影片"}}) {
    MakePluginFile(path(file), {}, {});
    EditorSession session(path(file));
    EXPECT_EQ(session.tree().itemText(session.tree().rootItem()), label) << file;
  }
}

TEST_F(EditorInit, AMissingFileIsReportedAndNotLeftBehind) {
  EditorSession session(path("missing.vdb"), Delivery::kNested, {}, {IDOK});
  ASSERT_EQ(session.window().messageBoxes.size(), 1u);
  EXPECT_EQ(session.window().messageBoxes[0].caption, "错误");
  const std::string& text = session.window().messageBoxes[0].text;
  EXPECT_NE(text.find("\n文件：" + path("missing.vdb") + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("文件不存在"), std::string::npos) << text;
  EXPECT_EQ(session.window().endCode, IDABORT);
  EXPECT_TRUE(session.dlg().OpenFailed());
  EXPECT_FALSE(fileExists(path("missing.vdb")));
  EXPECT_EQ(session.tree().itemText(session.tree().rootItem()), "missing");
  EXPECT_EQ(session.list().columnCount(), 0) << "the columns come after the file is open";
}

TEST_F(EditorInit, AFileWithoutBothTablesIsReportedAndKept) {
  RunOnFile(path("other.vdb"), "create table tb_type_list (id INTEGER PRIMARY KEY, x);");
  std::string before = readFile(path("other.vdb"));
  EditorSession session(path("other.vdb"), Delivery::kNested, {}, {IDOK});
  ASSERT_EQ(session.window().messageBoxes.size(), 1u);
  EXPECT_NE(session.window().messageBoxes[0].text.find("tb_item_list"), std::string::npos);
  EXPECT_EQ(session.window().endCode, IDABORT);
  EXPECT_EQ(readFile(path("other.vdb")), before);
}

TEST_F(EditorInit, AFileThatIsNoDatabaseIsReportedAndKept) {
  writeFile(path("text.vdb"), std::string(2048, 'x'));
  EditorSession session(path("text.vdb"), Delivery::kNested, {}, {IDOK});
  ASSERT_EQ(session.window().messageBoxes.size(), 1u);
  const std::string& text = session.window().messageBoxes[0].text;
  EXPECT_EQ(text.rfind("无法打开这个插件文件。", 0), 0u) << text;
  EXPECT_NE(text.find("file is encrypted or is not a database"), std::string::npos) << text;
  EXPECT_EQ(session.window().endCode, IDABORT);
  EXPECT_EQ(readFile(path("text.vdb")), std::string(2048, 'x'));
}

TEST_F(EditorInit, DoModalEndsWithAbortWhenTheFileCannotBeUsed) {
  TestToolkit toolkit;
  toolkit.beforeInit = [](TestEditorWindow& window) { window.messageBoxAnswers.push_back(IDOK); };
  toolkit.session = [](TestEditorWindow&) { ADD_FAILURE() << "the window must not run"; };
  COrvalenDlg dlg(toolkit, path("missing.vdb"));
  EXPECT_EQ(dlg.DoModal(), IDABORT);
  EXPECT_FALSE(toolkit.editorWindowShown);
  EXPECT_TRUE(dlg.OpenFailed());
}

TEST_F(EditorInit, DoModalRunsTheWindowOnAPluginFile) {
  MakePluginFile(path("movies.vdb"), SampleTypes(), {});
  TestToolkit toolkit;
  std::string shown;
  toolkit.session = [&shown](TestEditorWindow& window) {
    shown = window.testTree().itemText(window.testTree().rootItem());
  };
  COrvalenDlg dlg(toolkit, path("movies.vdb"));
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_TRUE(toolkit.editorWindowShown);
  EXPECT_EQ(shown, "movies");
  EXPECT_FALSE(dlg.OpenFailed());
}

}  // namespace
}  // namespace orvalen::test
