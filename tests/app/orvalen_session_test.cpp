// The orvalen program, driven through its windows with the keyboard and mouse on a private X
// server; what it wrote is read back with the reference SQLite 2.8 engine.

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "orvalen_session.h"

namespace orvalen::test {
namespace {

TEST_F(OrvalenSession, ANewPluginHoldsExactlyWhatWasEnteredInGbk) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("demo.vdb");
  chooseNewPlugin();
  answerFileDialog("另存为", "demo");
  const std::string editor = waitForEditor();
  ASSERT_TRUE(waitUntil([&] { return fileExists(file); }));

  ASSERT_NO_FATAL_FAILURE(addRenamedCategoryWithTwoVideos(editor, file));

  // A click on the list's empty part gives it the focus, Home selects row 1. A right click on
  // row 2 selects row 2 alone, and the menu's delete takes that one.
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
            std::vector<std::string>{"1|1|" + gbk("功夫") + "|" + gbk("http://v.example/功夫.mp4") +
                                     "|http://i.example/1.png"});
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

// The program started on a file, as a file manager starts it: the chooser does not show first.
class OrvalenGivenAFile : public OrvalenSession {
 protected:
  void SetUp() override {}
  void startOn(const std::string& path) {
    arguments_ = {path};
    startsAtTheChooser_ = false;
    OrvalenSession::SetUp();
  }
};

TEST_F(OrvalenGivenAFile, APluginFileOpensInTheEditorAtOnce) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  std::filesystem::create_directory(dir_.file("影视"));
  const std::string file = dir_.file("影视/目录.vdb");
  makePluginFile(file, {});
  ASSERT_NO_FATAL_FAILURE(startOn("影视/目录.vdb"));  // relative to the working folder
  if (IsSkipped()) return;
  const std::string editor = waitForEditor();
  EXPECT_FALSE(s().isWindowShown("类型选择"));
  ASSERT_NO_FATAL_FAILURE(addCategoryWithTheKeyboard(editor, file, "纪录片"));
  closeEditorAndExpectTheEnd(editor);
  EXPECT_EQ(referenceIntegrity(file), "ok");
}

TEST_F(OrvalenGivenAFile, AFileThatIsNoPluginIsReportedAndThenTheChooserShows) {
  writeFile(dir_.file("notes.vdb"), "just some notes, not a database\n");
  ASSERT_NO_FATAL_FAILURE(startOn(dir_.file("notes.vdb")));
  if (IsSkipped()) return;
  acknowledgeError();
  ASSERT_NO_FATAL_FAILURE(waitForChooser());
  EXPECT_EQ(readFile(dir_.file("notes.vdb")), "just some notes, not a database\n");
  endAtTheChooser();
}

TEST_F(OrvalenSession, APluginFileDroppedOntoTheChooserOpens) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("拖放.vdb");
  makePluginFile(file, {});
  s().startAlongside({ORVALEN_DRAG_SOURCE, file});
  auto source = s().waitForWindow("拖放来源");
  ASSERT_TRUE(source) << "the drag source did not show";
  // A press, a move far enough to start the drag, then moves over the chooser, which the
  // drop protocol answers, and the release. A release that comes before the chooser's answer
  // drops nothing; the drag is tried again then.
  const auto [width, height] = s().size(chooser_);
  std::optional<std::string> editor;
  for (int attempt = 0; attempt < 3 && !editor; ++attempt) {
    s().moveTo(*source, 40, 40);
    s().xdotool("mousedown 1");
    for (int step = 0; step < 12; ++step) {
      s().moveTo(chooser_, width / 2 + step, height / 2 + step);
    }
    s().xdotool("mouseup 1");
    editor = s().waitForWindow("Orvalen", 5s);
  }
  ASSERT_TRUE(editor) << "the dropped file did not open";
  // The keyboard, not the menus: the drop leaves GTK a window of its own that looks like one.
  ASSERT_NO_FATAL_FAILURE(addCategoryWithTheKeyboard(*editor, file, "纪录片"));
  closeEditorAndExpectTheEnd(*editor);
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
