// The Windows build of orvalen, run under Wine and driven through its windows with the
// keyboard and mouse; what it wrote is read back here, on Linux, with the reference SQLite 2.8
// engine. It runs when a Windows build is named (windows_build.h); otherwise it is skipped.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "desktop_session.h"
#include "plugin_checks.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"
#include "windows_build.h"

namespace orvalen::test {
namespace {

class WindowsSession : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> program = windowsProgram("app/orvalen.exe");
    if (!program) GTEST_SKIP() << "no Windows build: ORVALEN_WINDOWS_BUILD is not set";
    // Wine's windows carry the program's file name as their class; its pop-up menus have no
    // title.
    session_ = std::make_unique<DesktopSession>(
        dir_.path(), SessionProgram{{wineLoader(), *program}, "orvalen.exe", ""});
    if (!session_->unavailable().empty()) GTEST_SKIP() << session_->unavailable();
    auto chooser = s().waitForWindow("类型选择", 60s);  // Wine starts its services first
    ASSERT_TRUE(chooser) << "the chooser did not show";
    chooser_ = *chooser;
  }

  void TearDown() override {
    if (HasFailure() && session_) {
      session_->screenshot(::testing::TempDir() + "orvalen-windows-session-failure.png");
    }
  }

  DesktopSession& s() { return *session_; }

  // The chooser's buttons lie at these heights, in dialog units of its 121.
  void clickChooserButton(int centreInDialogUnits) {
    const auto [width, height] = s().size(chooser_);
    s().click(chooser_, width / 2, height * centreInDialogUnits / 121);
  }

  // Types the full path into the file dialog's name box, which has the focus, and confirms.
  void answerFileDialog(const std::string& title, const std::string& path) {
    auto dialog = s().waitForWindow(title);
    ASSERT_TRUE(dialog) << title << " did not show";
    s().moveTo(*dialog, 20, 20);
    s().type(windowsPath(path));
    s().key("Return");
    ASSERT_TRUE(s().waitForWindowGone(title)) << title << " did not take the name";
  }

  std::string waitForEditor() {
    auto editor = s().waitForWindow("Orvalen");
    EXPECT_TRUE(editor) << "the editor did not show";
    return editor.value_or("");
  }

  // Opens a context menu with a right click and picks the entry `downs` entries down.
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

  // Selects the list's first row: a click on its empty part gives it the focus, Home the row.
  void selectFirstVideo(const std::string& editor) {
    const auto [width, height] = s().size(editor);
    s().click(editor, width - 40, height - 60);
    s().key("Home");
  }

  void enterVideo(const std::string& name, const std::string& url, const std::string& image) {
    auto dialog = s().waitForWindow("视频信息");
    ASSERT_TRUE(dialog) << "the video details dialog did not show";
    s().moveTo(*dialog, 20, 20);
    s().key("Tab Tab");  // from OK to the name
    s().type(name);
    s().key("Tab");
    s().type(url);
    s().key("Tab");
    s().type(image);
    s().key("Return");
    ASSERT_TRUE(s().waitForWindowGone("视频信息"));
  }

  void typeLabel(const std::string& text) {
    s().key("ctrl+a");
    s().type(text);
    s().key("Return");
  }

  void confirmDelete() {
    auto confirm = s().waitForWindow("删除提示");
    ASSERT_TRUE(confirm) << "no confirmation before the delete";
    s().moveTo(*confirm, 20, 20);
    s().key("Return");
  }

  void closeEditorAndExpectTheEnd(const std::string& editor) {
    s().moveTo(editor, 150, 300);
    s().key("Escape");
    const auto status = s().waitForExit(30s);
    ASSERT_TRUE(status) << "the program did not end after the editor closed";
    EXPECT_EQ(*status, 0);
  }

  TempDir dir_;
  std::unique_ptr<DesktopSession> session_;
  std::string chooser_;
};

TEST_F(WindowsSession, ANewPluginWithChineseNamesHoldsExactlyWhatWasEnteredInGbk) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string folder = dir_.file("视频插件");
  std::filesystem::create_directory(folder);
  clickChooserButton(42);  // 设计一个新的视频扩展插件
  answerFileDialog("另存为", folder + "/新插件");
  const std::string file = folder + "/新插件.vdb";
  const std::string editor = waitForEditor();
  ASSERT_TRUE(waitUntil([&] { return fileExists(file); })) << "no 新插件.vdb, one .vdb only";

  s().moveTo(editor, 150, 300);
  s().key("Home");              // the root item, named after the file
  pickFromTreeMenu(editor, 1);  // 添加一个类型
  typeLabel("电影");
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select * from tb_type_list") ==
           std::vector<std::string>{"1|-1|" + gbk("电影")};
  })) << "the new category was not stored";

  pickFromListMenu(editor, 1);  // 添加
  enterVideo("功夫", "http://v.example/功夫.mp4", "http://i.example/1.png");
  pickFromListMenu(editor, 1);
  enterVideo("英雄", "http://v.example/英雄.mp4", "http://i.example/2.png");
  ASSERT_TRUE(waitUntil([&] { return rows(file, "select id from tb_item_list").size() == 2; }));

  pickFromTreeMenu(editor, 2);  // 修改 the selected category
  typeLabel("动作片");
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select ItemText from tb_type_list") ==
           std::vector<std::string>{gbk("动作片")};
  })) << "the rename was not stored";

  selectFirstVideo(editor);
  pickFromListMenu(editor, 3);  // 删除
  confirmDelete();
  ASSERT_TRUE(waitUntil([&] { return rows(file, "select id from tb_item_list").size() == 1; }));

  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(rows(file, "select * from tb_type_list"),
            std::vector<std::string>{"1|-1|" + gbk("动作片")});
  EXPECT_EQ(rows(file, "select * from tb_item_list"),
            std::vector<std::string>{"2|1|" + gbk("英雄") + "|" + gbk("http://v.example/英雄.mp4") +
                                     "|http://i.example/2.png"});
  EXPECT_EQ(referenceIntegrity(file), "ok");
  EXPECT_FALSE(fileExists(file + "-journal"));
}

TEST_F(WindowsSession, AFileInChineseFoldersOpensWithItsSystemMenuAboutEntry) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string folder = dir_.file("影视资料") + "/插件库";
  std::filesystem::create_directories(folder);
  const std::string file = folder + "/目录.vdb";
  makePluginFile(file,
                 {"insert into tb_type_list values(1, -1, '" + gbk("纪录片") + "')",
                  "insert into tb_type_list values(2, -1, '" + gbk("动画") + "')",
                  "insert into tb_item_list values(1, 2, '" + gbk("大闹天宫") + "', 'u1', 'i1')",
                  "insert into tb_item_list values(2, 2, '" + gbk("哪吒") + "', 'u2', 'i2')",
                  "insert into tb_item_list values(3, 1, '" + gbk("地球") + "', 'u3', 'i3')"});
  clickChooserButton(78);  // 修改已经存在的视频扩展插件
  answerFileDialog("打开", file);
  const std::string editor = waitForEditor();

  // The system menu (Alt+Space) ends with the about entry, 关于 Orvalen(&A)...; Up from its
  // first entry reaches it (its mnemonic is no way there: Wine's own "About Wine" has &A too).
  s().moveTo(editor, 150, 300);
  s().key("alt+space");
  ASSERT_TRUE(s().waitForMenu()) << "no system menu";
  s().key("Up Return");
  auto about = s().waitForWindow("关于 Orvalen");
  ASSERT_TRUE(about) << "the system menu's about entry showed no about box";
  s().moveTo(*about, 10, 10);
  s().key("Return");
  ASSERT_TRUE(s().waitForWindowGone("关于 Orvalen"));

  // The second category under the root is 动画; its first video is 大闹天宫 (id 1).
  s().moveTo(editor, 150, 300);
  s().key("Home Down Down");
  selectFirstVideo(editor);
  pickFromListMenu(editor, 3);  // 删除
  confirmDelete();
  ASSERT_TRUE(waitUntil([&] { return rows(file, "select id from tb_item_list").size() == 2; }));
  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(rows(file, "select id, parentid from tb_item_list"),
            (std::vector<std::string>{"2|2", "3|1"}));
  EXPECT_EQ(rows(file, "select ItemText from tb_type_list"),
            (std::vector<std::string>{gbk("纪录片"), gbk("动画")}));
  EXPECT_EQ(referenceIntegrity(file), "ok");
}

}  // namespace
}  // namespace orvalen::test
