#include "editor/failure_message.h"

#include <gtest/gtest.h>

#include "db/exception.h"
#include "sqlite.h"

namespace orvalen {
namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(FailureMessage, SaysWhatFailedThenWhatToDoThenTheDetails) {
  const std::string text =
      FailureMessage(FailedAction::kStoreChange, SQLITE_READONLY,
                     "SQLITE_READONLY[8]: attempt to write a readonly database");
  EXPECT_EQ(text.rfind("这项修改没有保存到插件文件中。\n", 0), 0u) << text;
  const size_t advice = text.find("请检查这个文件及其所在文件夹的权限");
  const size_t detail = text.find("attempt to write a readonly database");
  ASSERT_NE(advice, std::string::npos) << text;
  ASSERT_NE(detail, std::string::npos) << text;
  EXPECT_LT(advice, detail);
}

TEST(FailureMessage, AdviceFollowsTheKindOfFailure) {
  EXPECT_TRUE(
      Contains(FailureMessage(FailedAction::kStoreChange, SQLITE_BUSY, ""), "正被其他程序使用"));
  EXPECT_TRUE(
      Contains(FailureMessage(FailedAction::kOpenPluginFile, SQLITE_BUSY, ""), "正被其他程序使用"));
  EXPECT_TRUE(
      Contains(FailureMessage(FailedAction::kStoreChange, SQLITE_FULL, ""), "磁盘空间不足"));
  EXPECT_TRUE(Contains(FailureMessage(FailedAction::kStoreChange, CPPSQLITE_ERROR, ""),
                       "代码页不能表示的字符"));
  // Every failed open has one code; the advice covers each reason and never talks of texts.
  const std::string open = FailureMessage(FailedAction::kOpenPluginFile, SQLITE_CANTOPEN, "");
  EXPECT_EQ(open.rfind("无法打开这个插件文件。", 0), 0u) << open;
  EXPECT_TRUE(Contains(open, "视频扩展插件 (*.vdb)"));
  EXPECT_FALSE(
      Contains(FailureMessage(FailedAction::kOpenPluginFile, CPPSQLITE_ERROR, ""), "代码页"));
}

TEST(FailureMessage, TheFileConcernedFollowsTheFirstLine) {
  EXPECT_EQ(FailureMessage(FailedAction::kStoreChange, SQLITE_ERROR, "x", "/home/u/片.vdb"),
            "这项修改没有保存到插件文件中。\n文件：/home/u/片.vdb\n\nx");
}

TEST(FailureMessage, AMissingDetailLeavesNoDanglingLines) {
  EXPECT_EQ(FailureMessage(FailedAction::kStoreChange, SQLITE_ERROR, nullptr),
            "这项修改没有保存到插件文件中。");
  EXPECT_EQ(FailureMessage(FailedAction::kStoreChange, SQLITE_ERROR, "x"),
            "这项修改没有保存到插件文件中。\n\nx");
}

}  // namespace
}  // namespace orvalen
