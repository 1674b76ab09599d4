// The orvalen program, driven through its windows with the keyboard and mouse on a private X
// server; what it wrote is read back with the reference SQLite 2.8 engine.

#include <dirent.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop_session.h"
#include "plugin_checks.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace orvalen::test {
namespace {

bool directoryIsEmpty(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  int entries = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") ++entries;
  }
  ::closedir(dir);
  return entries == 0;
}

// The middle of the list's second row in the editor window (the list starts 35 pixels down,
// under its header).
constexpr int kSecondRowY = 93;

class OrvalenSession : public ::testing::Test {
 protected:
  virtual std::unique_ptr<DesktopSession> start() {
    return std::make_unique<DesktopSession>(dir_.path());
  }

  void SetUp() override {
    session_ = start();
    if (!session_->unavailable().empty()) GTEST_SKIP() << session_->unavailable();
    auto chooser = session_->waitForWindow("类型选择");
    ASSERT_TRUE(chooser) << "the chooser did not show";
    chooser_ = *chooser;
  }

  void TearDown() override {
    if (HasFailure() && session_) {
      session_->screenshot(::testing::TempDir() + "orvalen-session-failure.png");
    }
  }

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

  TempDir dir_;
  std::unique_ptr<DesktopSession> session_;
  std::string chooser_;
};

TEST_F(OrvalenSession, ANewPluginHoldsExactlyWhatWasEnteredInGbk) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("demo.vdb");
  chooseNewPlugin();
  answerFileDialog("另存为", "demo");
  const std::string editor = waitForEditor();
  ASSERT_TRUE(waitUntil([&] { return fileExists(file); }));

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

  // The first video: a click on the list's empty part gives it the focus, Home selects row 1.
  // The menu is then opened with a right click on row 2, which must leave the selection be.
  const auto [width, height] = s().size(editor);
  s().click(editor, width - 40, height - 60);
  s().key("Home");
  pickFromMenu(editor, 500, kSecondRowY, 3);  // 删除
  auto confirm = s().waitForWindow("删除提示");
  ASSERT_TRUE(confirm) << "no confirmation before the delete";
  s().moveTo(*confirm, 20, 20);
  s().key("Return");
  ASSERT_TRUE(waitUntil([&] { return rows(file, "select id from tb_item_list").size() == 1; }));

  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(rows(file, "select * from tb_type_list"),
            std::vector<std::string>{"1|-1|" + gbk("动作片")});
  EXPECT_EQ(rows(file, "select * from tb_item_list"),
            std::vector<std::string>{"2|1|" + gbk("英雄") + "|" + gbk("http://v.example/英雄.mp4") +
                                     "|http://i.example/2.png"});
  EXPECT_EQ(referenceIntegrity(file), "ok");
}

TEST_F(OrvalenSession, AnExistingFileMadeByTheReferenceEngineOpensAsItStands) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("catalogue.vdb");
  makePluginFile(file,
                 {"insert into tb_type_list values(1, -1, '" + gbk("纪录片") + "')",
                  "insert into tb_type_list values(2, -1, '" + gbk("动画") + "')",
                  "insert into tb_item_list values(1, 2, '" + gbk("大闹天宫") + "', 'u1', 'i1')",
                  "insert into tb_item_list values(2, 2, '" + gbk("哪吒") + "', 'u2', 'i2')",
                  "insert into tb_item_list values(3, 1, '" + gbk("地球") + "', 'u3', 'i3')"});
  chooseExistingPlugin();
  answerFileDialog("打开", "catalogue.vdb");
  const std::string editor = waitForEditor();

  // The second category under the root is 动画; its first video is 大闹天宫 (id 1).
  s().moveTo(editor, 150, 300);
  s().key("Home Down Down");
  const auto [width, height] = s().size(editor);
  s().click(editor, width - 40, height - 60);
  s().key("Home");
  pickFromListMenu(editor, 3);  // 删除
  auto confirm = s().waitForWindow("删除提示");
  ASSERT_TRUE(confirm);
  s().moveTo(*confirm, 20, 20);
  s().key("Return");
  ASSERT_TRUE(waitUntil([&] { return rows(file, "select id from tb_item_list").size() == 2; }));
  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(rows(file, "select id, parentid from tb_item_list"),
            (std::vector<std::string>{"2|2", "3|1"}));
  EXPECT_EQ(referenceIntegrity(file), "ok");
}

TEST_F(OrvalenSession, CancelledFileDialogsLeaveTheChooserOpenAndWriteNothing) {
  chooseNewPlugin();
  cancelFileDialog("另存为");
  ASSERT_TRUE(s().isWindowShown("类型选择"));
  chooseExistingPlugin();
  cancelFileDialog("打开");
  endAtTheChooser();
  EXPECT_FALSE(s().isWindowShown("Orvalen"));
  EXPECT_TRUE(directoryIsEmpty(dir_.path()));
}

TEST_F(OrvalenSession, ANameEndingInVdbGetsASecondOneAndTheFileOfThatNameStays) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  writeFile(dir_.file("demo.vdb"), "the user's own file");
  chooseNewPlugin();
  auto dialog = s().waitForWindow("另存为");
  ASSERT_TRUE(dialog);
  s().moveTo(*dialog, 20, 20);
  s().type("demo.vdb");
  const auto [width, height] = s().size(*dialog);
  // The dialog asks whether to replace demo.vdb; the answer is yes (the right-hand button).
  std::optional<std::string> question;
  for (int attempt = 0; attempt < 5 && !question; ++attempt) {
    s().click(*dialog, width - 50, height - 24);
    question = s().waitForWindow("", 2s);
  }
  ASSERT_TRUE(question) << "no question about replacing demo.vdb";
  const auto [questionWidth, questionHeight] = s().size(*question);
  s().click(*question, questionWidth * 3 / 4, questionHeight - 16);

  const std::string editor = waitForEditor();
  ASSERT_TRUE(fileExists(dir_.file("demo.vdb.vdb")));
  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(readFile(dir_.file("demo.vdb")), "the user's own file");
  EXPECT_EQ(rows(dir_.file("demo.vdb.vdb"), "select count(*) from tb_type_list"),
            std::vector<std::string>{"0"});
}

TEST_F(OrvalenSession, ANewPluginNamedLikeAnExistingOneOpensThatFileUntouchedWithItsAboutBox) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("demo.vdb");
  makePluginFile(file, {"insert into tb_type_list values(7, -1, '" + gbk("新闻") + "')"});
  const std::string before = readFile(file);
  chooseNewPlugin();
  answerFileDialog("另存为", "demo");
  const std::string editor = waitForEditor();

  // F1 shows the about box over the editor; Enter closes it and the editor stays.
  s().moveTo(editor, 150, 300);
  s().key("F1");
  auto about = s().waitForWindow("关于 Orvalen");
  ASSERT_TRUE(about) << "F1 showed no about box";
  s().moveTo(*about, 10, 10);
  s().key("Return");
  ASSERT_TRUE(s().waitForWindowGone("关于 Orvalen"));
  EXPECT_TRUE(s().isWindowShown("Orvalen"));
  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(readFile(file), before);
}

TEST_F(OrvalenSession, AFileThatIsNoPluginIsReportedAndLeavesNothingBehind) {
  writeFile(dir_.file("notes.vdb"), "just some notes, not a database\n");
  chooseExistingPlugin();
  answerFileDialog("打开", "notes.vdb");
  acknowledgeError();
  EXPECT_FALSE(s().isWindowShown("Orvalen"));
  EXPECT_EQ(readFile(dir_.file("notes.vdb")), "just some notes, not a database\n");
  endAtTheChooser();
}

// A copy of the program in a folder without the template: the new plugin cannot be made, the
// editor reports that there is no plugin file, and no file is left under the chosen name.
class OrvalenWithoutTemplate : public OrvalenSession {
 protected:
  void SetUp() override {
    if (fileExists(ORVALEN_INSTALLED_TEMPLATE)) {
      GTEST_SKIP() << "an installed template would be found: " << ORVALEN_INSTALLED_TEMPLATE;
    }
    program_ = programDir_.file("orvalen");
    writeFile(program_, readFile(ORVALEN_BINARY));
    ::chmod(program_.c_str(), 0755);
    OrvalenSession::SetUp();
  }
  std::unique_ptr<DesktopSession> start() override {
    return std::make_unique<DesktopSession>(dir_.path(), program_);
  }

  TempDir programDir_;
  std::string program_;
};

TEST_F(OrvalenWithoutTemplate, ANewPluginIsReportedAndNoFileIsLeft) {
  chooseNewPlugin();
  answerFileDialog("另存为", "demo");
  acknowledgeError();
  EXPECT_FALSE(s().isWindowShown("Orvalen"));
  EXPECT_TRUE(directoryIsEmpty(dir_.path())) << "a file was left behind";
  endAtTheChooser();
}

}  // namespace
}  // namespace orvalen::test
