// The Windows build of orvalen, run under Wine and driven through its windows with the
// keyboard and mouse; what it wrote is read back here, on Linux, with the reference SQLite 2.8
// engine. It runs when a Windows build is named (windows_build.h); otherwise it is skipped.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "orvalen_session.h"
#include "windows_build.h"

namespace orvalen::test {
namespace {

constexpr int kWin32TreeLabelX = 80;
constexpr int kWin32TreeFirstLineY = 64;
constexpr int kWin32TreeLineHeight = 16;

// The fixture of the program's own sessions, with the Windows program under Wine in its place.
class WindowsSession : public OrvalenSession {
 protected:
  void SetUp() override {
    program_ = windowsProgram("app/orvalen.exe");
    if (!program_) GTEST_SKIP() << "no Windows build: ORVALEN_WINDOWS_BUILD is not set";
    OrvalenSession::SetUp();
  }

  // Wine's windows carry the program's file name as their class; its pop-up menus have no
  // title.
  std::unique_ptr<DesktopSession> start() override {
    std::vector<std::string> command{wineLoader(), *program_};
    command.insert(command.end(), arguments_.begin(), arguments_.end());
    return std::make_unique<DesktopSession>(dir_.path(),
                                            SessionProgram{command, "orvalen.exe", ""});
  }

  // Types the full path into the file dialog's name box, which has the focus, and confirms.
  void answerWithPath(const std::string& title, const std::string& path) {
    auto dialog = s().waitForWindow(title);
    ASSERT_TRUE(dialog) << title << " did not show";
    s().moveTo(*dialog, 20, 20);
    s().type(windowsPath(path));
    s().key("Return");
    ASSERT_TRUE(s().waitForWindowGone(title)) << title << " did not take the name";
  }

  // Selects the list's first row: a click on its empty part gives it the focus, Home the row.
  void selectFirstVideo(const std::string& editor) {
    const auto [width, height] = s().size(editor);
    s().click(editor, width - 40, height - 60);
    s().key("Home");
  }

  void confirmDelete() {
    auto confirm = s().waitForWindow("删除提示");
    ASSERT_TRUE(confirm) << "no confirmation before the delete";
    s().moveTo(*confirm, 20, 20);
    s().key("Return");
  }

  std::optional<std::string> program_;
};

TEST_F(WindowsSession, ANewPluginWithChineseNamesHoldsExactlyWhatWasEnteredInGbk) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string folder = dir_.file("视频插件");
  std::filesystem::create_directory(folder);
  chooseNewPlugin();
  answerWithPath("另存为", folder + "/新插件");
  const std::string file = folder + "/新插件.vdb";
  const std::string editor = waitForEditor();
  ASSERT_TRUE(waitUntil([&] { return fileExists(file); })) << "no 新插件.vdb, one .vdb only";

  ASSERT_NO_FATAL_FAILURE(addRenamedCategoryWithTwoVideos(editor, file));

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

// orvalen.exe started on a file, as Explorer starts it.
class WindowsGivenAFile : public WindowsSession {
 protected:
  void SetUp() override {
    program_ = windowsProgram("app/orvalen.exe");
    if (!program_) GTEST_SKIP() << "no Windows build: ORVALEN_WINDOWS_BUILD is not set";
  }
  void startOn(const std::string& path) {
    arguments_ = {windowsPath(path)};
    startsAtTheChooser_ = false;
    OrvalenSession::SetUp();
  }
};

TEST_F(WindowsGivenAFile, APluginFileInChineseFoldersOpensInTheEditorAtOnce) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string folder = dir_.file("影视资料");
  std::filesystem::create_directory(folder);
  const std::string file = folder + "/目录.vdb";
  makePluginFile(file, {});
  ASSERT_NO_FATAL_FAILURE(startOn(file));
  const std::string editor = waitForEditor();
  EXPECT_FALSE(s().isWindowShown("类型选择"));
  // A click gives Wine's window the keyboard; the Chinese typing is the other sessions'.
  s().click(editor, 150, 300);
  ASSERT_NO_FATAL_FAILURE(addCategoryWithTheKeyboard(editor, file, "Films"));
  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(referenceIntegrity(file), "ok");
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
  chooseExistingPlugin();
  answerWithPath("打开", file);
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

// The tree's lines in the Win32 editor window under Wine.
constexpr TreeLines kWin32TreeLines{kWin32TreeLabelX, kWin32TreeFirstLineY, kWin32TreeLineHeight};

TEST_F(WindowsSession, FindDragAndUndoABranchDelete) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("catalogue.vdb");
  makeCatalogueForMoves(file);
  chooseExistingPlugin();
  answerWithPath("打开", file);
  findDragAndUndoABranchDelete(waitForEditor(), file, kWin32TreeLines);
}

TEST_F(WindowsSession, ImportAPlaylistIntoACategoryAndUndoIt) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("catalogue.vdb");
  makeCatalogueForMoves(file);
  chooseExistingPlugin();
  answerWithPath("打开", file);
  importPlaylistAndUndoIt(waitForEditor(), file, kWin32TreeLines, 8,
                          [&](const std::string& playlist) { answerWithPath("打开", playlist); });
}

}  // namespace
}  // namespace orvalen::test
