#include "editor/failure_message.h"

#include <gtest/gtest.h>

namespace orvalen {
namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

TEST(FailureMessage, SaysWhatFailedThenWhatToDoThenWhyThenTheDetails) {
  const std::string text =
      FailureMessage(FailedAction::kStoreChange, FailureKind::kReadOnly,
                     "SQLITE_READONLY[8]: attempt to write a readonly database");
  EXPECT_TRUE(StartsWith(text, "这项修改没有保存到插件文件中。\n")) << text;
  const size_t advice = text.find("请检查这个文件及其所在文件夹的权限");
  const size_t reason = text.find("\n\n原因：文件或其所在文件夹不能写入。\n");
  const size_t detail = text.find("attempt to write a readonly database");
  ASSERT_NE(advice, std::string::npos) << text;
  ASSERT_NE(reason, std::string::npos) << text;
  ASSERT_NE(detail, std::string::npos) << text;
  EXPECT_LT(advice, reason);
  EXPECT_LT(reason, detail);
}

// Reading, storing and showing a stored edit are told apart, so a user never repeats an edit
// that was stored, and a failed read is not taken for a lost edit.
TEST(FailureMessage, TheHeadlineSaysWhatFailed) {
  const auto headline = [](FailedAction action) {
    const std::string text = FailureMessage(action, FailureKind::kBusy, "x");
    return text.substr(0, text.find('\n'));
  };
  EXPECT_EQ(headline(FailedAction::kStoreChange), "这项修改没有保存到插件文件中。");
  EXPECT_TRUE(Contains(headline(FailedAction::kRead), "没能从插件文件中读出"))
      << headline(FailedAction::kRead);
  EXPECT_TRUE(Contains(headline(FailedAction::kRead), "没有改动"));
  EXPECT_TRUE(
      StartsWith(headline(FailedAction::kShowStoredChange), "这项修改已经保存到插件文件中"));
  EXPECT_TRUE(Contains(headline(FailedAction::kShowStoredChange), "请不要重复"));
  EXPECT_EQ(headline(FailedAction::kOpenPluginFile), "无法打开这个插件文件。");
  EXPECT_EQ(headline(FailedAction::kCreatePluginFile), "无法新建插件文件。");
}

TEST(FailureMessage, AdviceAndReasonFollowTheKind) {
  const std::pair<FailureKind, const char*> expected[] = {
      {FailureKind::kBusy, "正被其他程序使用"},
      {FailureKind::kDiskFull, "磁盘空间不足"},
      {FailureKind::kCorrupt, "已经损坏"},
      {FailureKind::kNotPluginFile, "由 Orvalen 新建的视频扩展插件"},
      {FailureKind::kMissingFile, "文件的名称和所在的文件夹"},
      {FailureKind::kTextNotRepresentable, "代码页不能表示的字符"},
      {FailureKind::kMissingTemplate, "plugin_db_sample.sdb"},
      {FailureKind::kCannotCreateFile, "文件夹存在并且可以写入"}};
  for (const auto& [kind, advice] : expected) {
    const std::string text = FailureMessage(FailedAction::kStoreChange, kind, "engine text");
    EXPECT_TRUE(Contains(text, advice)) << text;
    EXPECT_TRUE(Contains(text, "\n原因：")) << text;
    EXPECT_TRUE(Contains(text, "\nengine text")) << text;
  }
  // Only a text the code page cannot hold gets the code-page advice, whatever the code.
  for (FailureKind kind : {FailureKind::kOther, FailureKind::kNotPluginFile, FailureKind::kBusy}) {
    EXPECT_FALSE(Contains(FailureMessage(FailedAction::kStoreChange, kind, "x"), "代码页"))
        << static_cast<int>(kind);
  }
}

TEST(FailureMessage, AFailureOfNoKnownKindShowsOnlyTheLayersMessage) {
  EXPECT_EQ(
      FailureMessage(FailedAction::kStoreChange, FailureKind::kOther,
                     "CPPSQLITE_ERROR[1000]: Invalid field index requested"),
      "这项修改没有保存到插件文件中。\n\nCPPSQLITE_ERROR[1000]: Invalid field index requested");
  // Opening gets general advice.
  const std::string open = FailureMessage(FailedAction::kOpenPluginFile, FailureKind::kOther, "");
  EXPECT_TRUE(Contains(open, "请确认这个文件存在、可以读写")) << open;
  EXPECT_FALSE(Contains(open, "原因"));
}

TEST(FailureMessage, TheFileConcernedFollowsTheFirstLine) {
  EXPECT_EQ(FailureMessage(FailedAction::kStoreChange, FailureKind::kOther, "x", "/home/u/片.vdb"),
            "这项修改没有保存到插件文件中。\n文件：/home/u/片.vdb\n\nx");
}

TEST(FailureMessage, AMissingDetailLeavesNoDanglingLines) {
  EXPECT_EQ(FailureMessage(FailedAction::kStoreChange, FailureKind::kOther, nullptr),
            "这项修改没有保存到插件文件中。");
  EXPECT_EQ(FailureMessage(FailedAction::kStoreChange, FailureKind::kDiskFull, ""),
            "这项修改没有保存到插件文件中。\n磁盘空间不足。请腾出空间后再试。\n\n原因：磁盘已满。");
}

}  // namespace
}  // namespace orvalen
