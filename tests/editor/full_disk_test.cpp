// A real full disk under the editor: videos are added to a plugin file on a small tmpfs until
// the disk is full. The error box says so, the window keeps showing what the file holds, and
// once space is freed the next add is stored; SQLite 2.8 finds the file sound.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/editor/editor_fixture.h"
#include "tests/editor/small_filesystem.h"
#include "tests/support/reference_engine.h"

namespace orvalen::test {
namespace {

TEST(FullDisk, TheEditorReportsAFullDiskAndGoesOnOnceThereIsRoom) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  (void)ref;
  SmallFilesystem disk(64 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string path = disk.file("full.vdb");
  MakePluginFile(path, {{1, -1, "A"}}, {});
  FillLeaving(disk.file("filler"), 12 * 1024, disk);

  EditorSession session(path);
  session.select({"A"});
  TestEditorWindow& window = session.window();
  const std::string longUrl = "http://v.example/" + std::string(1500, 'u');
  int added = 0;
  for (; added < 200 && window.messageBoxes.empty(); ++added) {
    session.toolkit().dialogAnswers.push_back(
        {IDOK, {{IDC_EDIT_NAME, "v" + std::to_string(added)}, {IDC_EDIT_URL, longUrl}}});
    window.messageBoxAnswers = {IDOK};
    session.command(ID_ITEM_ADD);
  }
  ASSERT_EQ(window.messageBoxes.size(), 1u) << "the disk never filled up";
  EXPECT_GT(added, 1) << "some videos fit";
  const std::string& text = window.messageBoxes[0].text;
  EXPECT_EQ(text.rfind("这项修改没有保存到插件文件中。", 0), 0u) << text;
  EXPECT_NE(text.find("磁盘空间不足"), std::string::npos) << text;
  EXPECT_NE(text.find("原因：磁盘已满。"), std::string::npos) << text;
  EXPECT_NE(text.find("SQLITE_FULL"), std::string::npos) << text;
  const int shown = session.list().rowCount();
  EXPECT_EQ(shown, added - 1) << "the failed add is not shown";
  ExpectWindowShows(session, ReadWithEngine(path));

  std::remove(disk.file("filler").c_str());
  session.toolkit().dialogAnswers.push_back({IDOK, {{IDC_EDIT_NAME, "after"}}});
  session.command(ID_ITEM_ADD);
  EXPECT_EQ(window.messageBoxes.size(), 1u) << "the add after freeing space failed";
  EXPECT_EQ(session.list().rowCount(), shown + 1);
  FileRows rows = ReadWithReference(path);  // checks integrity too
  ASSERT_EQ(rows.items.size(), static_cast<std::size_t>(shown + 1));
  EXPECT_EQ(rows.items.back().name, "after");
  ExpectWindowShows(session, rows);
}

}  // namespace
}  // namespace orvalen::test
