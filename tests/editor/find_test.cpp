// Find through the find box and F3: the matches come in tree order, a category before its
// videos, ASCII letters in any case, never inside a GBK character, never an orphaned video.

#include <gtest/gtest.h>

#include "tests/editor/editor_fixture.h"

namespace orvalen::test {
namespace {

// The tree: root (video 10), "Action 电影" (videos 11, 15), "俛" (12; its second byte in GBK is
// 'a'), "Other" (13), "Orphan cat" (under the root: its parent does not exist). Video 14 is in
// no category that the tree shows.
void makeFile(const std::string& path) {
  MakePluginFile(path,
                 {{1, -1, "Action 电影"}, {2, 1, "俛"}, {3, -1, "Other"}, {4, 99, "Orphan cat"}},
                 {{10, -1, "root film", "", ""},
                  {11, 1, "功夫 第一集", "http://v/KungFu.mp4", ""},
                  {12, 2, "俛", "", ""},
                  {13, 3, "功夫 第二集", "", ""},
                  {14, 77, "功夫 orphan", "", ""},
                  {15, 1, "another", "", "http://i/FILM.png"}});
}

struct Search {
  const char* text;
  bool backwards;
  std::vector<std::string> matches;  // "c<category id>" or "v<video id>", one per Enter or F3
};

const Search kSearches[] = {
    {"功夫", false, {"v11", "v13", "v11"}},  {"fIlm", false, {"v10", "v15", "v10"}},
    {"a", false, {"c1", "v15", "c4", "c1"}}, {"功夫", true, {"v13", "v11", "v13"}},
    {"电影", false, {"c1", "c1"}},
};

class Find : public ::testing::TestWithParam<Delivery> {
 protected:
  void SetUp() override { makeFile(path_); }

  // What the window shows as found: the selected category, or the one selected video.
  std::string shown(EditorSession& session) {
    TestList& list = session.list();
    if (list.selectedCount() == 1)
      return "v" + std::to_string(list.rowData(list.firstSelectedRow()));
    EXPECT_EQ(list.selectedCount(), 0);
    return "c" + std::to_string(session.tree().itemData(session.tree().selectedItem()));
  }

  // A key as the toolkit reports it: F3 and Enter alone or with Shift, or Ctrl+F.
  void press(EditorSession& session, int control, int key, bool shift = false) {
    session.window().post().post(KeyDownMessage{control, key, shift, key == VK_KEY_F});
    session.pump();
  }

  TempDir dir_;
  std::string path_ = dir_.file("find.vdb");
};

TEST_P(Find, MatchesComeInTreeOrderAndGoRound) {
  for (const Search& search : kSearches) {
    SCOPED_TRACE(search.text);
    EditorSession session(path_, GetParam());
    press(session, IDC_TREE_TYPES, VK_KEY_F);
    ASSERT_TRUE(session.window().isFindBoxShown());
    session.window().userTypeInFindBox(search.text);
    for (std::size_t i = 0; i < search.matches.size(); ++i) {
      if (i == 0) {
        press(session, IDC_FIND_TEXT, VK_RETURN, search.backwards);
      } else {
        press(session, IDC_LIST_ITEMS, VK_F3, search.backwards);
      }
      EXPECT_EQ(shown(session), search.matches[i]) << "match " << i;
      EXPECT_EQ(session.window().findStatus, "");
    }
    ExpectWindowShows(session, ReadWithEngine(path_));
  }
}

TEST_P(Find, NothingFoundMovesNothingAndF3RepeatsWithTheBoxClosed) {
  EditorSession session(path_, GetParam());
  session.select({"Other"});
  press(session, IDC_TREE_TYPES, VK_F3);
  EXPECT_TRUE(session.window().isFindBoxShown()) << "nothing to repeat: the box opens";
  session.window().userTypeInFindBox("没有");
  press(session, IDC_FIND_TEXT, VK_RETURN);
  EXPECT_EQ(session.window().findStatus, "找不到“没有”");
  EXPECT_EQ(shown(session), "c3");

  session.window().userTypeInFindBox("集");
  press(session, IDC_FIND_TEXT, VK_RETURN);
  EXPECT_EQ(shown(session), "v11");
  session.window().closeFindBox();
  press(session, IDC_TREE_TYPES, VK_F3);
  EXPECT_EQ(shown(session), "v13");
  EXPECT_FALSE(session.window().isFindBoxShown());
  // An edit is found at once: the search reads the videos again.
  session.toolkit().dialogAnswers.push_back({IDOK, {{IDC_EDIT_NAME, "第三集"}}});
  session.command(ID_ITEM_ADD);
  press(session, IDC_TREE_TYPES, VK_F3);
  EXPECT_EQ(shown(session), "v16");
}

INSTANTIATE_TEST_SUITE_P(Deliveries, Find, ::testing::Values(Delivery::kNested, Delivery::kQueued));

}  // namespace
}  // namespace orvalen::test
