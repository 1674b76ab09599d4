// "检查链接" in the tree's menu, with an HTTP client that answers from a table: which links of
// the selected branch are asked for, which are listed as failing and why, that a cancel lists
// nothing, and that a double click on a failing link shows its video. The HTTP clients
// themselves are tested against a local server (link_check_test.cpp).

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <set>

#include "tests/editor/editor_fixture.h"

namespace orvalen::test {
namespace {

class TableHttpClient : public HttpClient {
 public:
  explicit TableHttpClient(std::map<std::string, LinkResult> failing)
      : failing_(std::move(failing)) {}

  LinkResult ask(const std::string& url, HttpMethod, std::chrono::milliseconds, int,
                 const std::atomic<bool>&) override {
    std::lock_guard<std::mutex> lock(mutex_);
    asked_.insert(url);
    const auto found = failing_.find(url);
    return found == failing_.end() ? LinkResult{LinkStatus::kOk, 200, ""} : found->second;
  }

  std::set<std::string> asked() {
    std::lock_guard<std::mutex> lock(mutex_);
    return asked_;
  }

 private:
  std::map<std::string, LinkResult> failing_;
  std::mutex mutex_;
  std::set<std::string> asked_;
};

TEST(CheckLinks, ListsTheFailingLinksOfTheBranchAndShowsTheVideoOfOne) {
  TempDir dir;
  const std::string path = dir.file("movies.vdb");
  std::vector<ItemRow> items = SampleItems();
  items.push_back({20, 6, "旧片", "rtmp://old/stream", ""});
  MakePluginFile(path, SampleTypes(), items);
  const auto client = std::make_shared<TableHttpClient>(std::map<std::string, LinkResult>{
      {"http://v/b", {LinkStatus::kHttpError, 404, ""}},
      {"http://i/1.png", {LinkStatus::kTimedOut, 0, ""}},
      {"http://v/c", {LinkStatus::kRefused, 0, ""}}});  // in E, outside the branch

  struct Run {
    const char* name;
    int cancelAt;  // the progress update at which the user cancels; 0: never
    std::size_t listsShown;
  };
  for (const Run& run : {Run{"to the end", 0, 1}, Run{"cancelled", 1, 0}}) {
    SCOPED_TRACE(run.name);
    EditorSession session(path);
    session.dlg().SetLinkChecking(client, {});
    session.dlg().SetProgressDelay(std::chrono::milliseconds(0));
    session.toolkit().cancelProgressAtUpdate = run.cancelAt;
    session.select({"A"});
    session.toolkit().listAnswers.push_back({IDOK, 2});
    session.command(ID_TYPE_CHECK_LINKS);
    ASSERT_EQ(session.toolkit().listChoices.size(), run.listsShown);
    if (run.listsShown == 0) continue;

    EXPECT_EQ(client->asked(),
              (std::set<std::string>{"http://v/1", "http://i/1.png", "http://v/2", "http://i/3.png",
                                     "http://v/b", "http://i/b", "http://v/f", "http://i/f"}))
        << "every http link of A and below, once";
    const std::vector<std::vector<std::string>>& rows = session.toolkit().listChoices[0].rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "电影一");
    EXPECT_EQ(rows[0][2], "http://i/1.png");
    EXPECT_EQ(rows[1][1], "B");
    EXPECT_NE(rows[1][3].find("404"), std::string::npos);
    EXPECT_EQ(rows[2][0], "旧片");
    EXPECT_EQ(rows[2][2], "rtmp://old/stream") << "listed as not checked";
    EXPECT_EQ(session.tree().selectedItem(), session.item({"A", "B", "F"}))
        << "the chosen link's video shown";
    ASSERT_EQ(session.list().selectedCount(), 1);
    EXPECT_EQ(session.list().rowData(session.list().firstSelectedRow()), 20);
  }
}

}  // namespace
}  // namespace orvalen::test
