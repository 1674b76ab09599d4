// An export read back gives the same tree: the categories in the order they were written
// (depth first) and each category's videos in list order, in M3U8 and in CSV.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/playlist_reader.h"
#include "formats/playlist_writer.h"

namespace orvalen::formats {
namespace {

struct Category {
  CategoryPath path;
  std::vector<std::vector<std::string>> videos;  // name, video URL, image URL
};

// A catalogue as plugin makers fill them: Chinese names, names with commas, quotes and
// slashes, categories holding only sub-categories or nothing, videos without an image.
const std::vector<Category> kCatalogue = {
    {{}, {{"片头", "http://v/intro.mp4", "http://i/intro.jpg"}}},
    {{"电影"}, {}},
    {{"电影", "动作, 冒险"},
     {{"功夫", "http://v/kungfu.m3u8", "http://i/kungfu.jpg"},
      {"\"英雄\", 2002", "http://v/hero.m3u8?a=1,2&b=\"x\"", ""},
      {"卧虎藏龙", "rtmp://live/app/1", "http://i/3.jpg"}}},
    {{"电影", "AC/DC \\ 现场"}, {{"Live", "http://v/acdc", "http://i/a b.jpg"}}},
    {{"电影", "空"}, {}},
    {{"少儿"}, {{"喜羊羊 第1集", "http://v/x/1", ""}, {"喜羊羊 第2集", "http://v/x/2", ""}}},
};

std::string written(PlaylistFormat format) {
  std::string text;
  const auto writer = format == PlaylistFormat::kCsv
                          ? makeCsvWriter(&text, {"名称", "视频地址", "图片地址", "分类"})
                          : makeM3uWriter(&text);
  for (const Category& category : kCatalogue) {
    writer->beginCategory(category.path);
    for (const auto& video : category.videos) {
      EXPECT_TRUE(writer->addVideo({video[0], video[1], video[2]})) << video[0];
    }
  }
  writer->finish();
  return text;
}

// The categories in the order the entries first name them, each with its videos.
std::vector<Category> tree(const std::vector<PlaylistEntry>& entries) {
  std::vector<Category> categories{{{}, {}}};
  const auto categoryAt = [&categories](const CategoryPath& path) -> Category& {
    for (size_t depth = 1; depth < path.size(); ++depth) {
      const CategoryPath parent(path.begin(), path.begin() + depth);
      bool known = false;
      for (const Category& category : categories) known = known || category.path == parent;
      if (!known) categories.push_back({parent, {}});
    }
    for (Category& category : categories) {
      if (category.path == path) return category;
    }
    return categories.emplace_back(Category{path, {}});
  };
  for (const PlaylistEntry& entry : entries) {
    EXPECT_TRUE(entry.canBeTaken()) << entry.line;
    Category& category = categoryAt(entry.categoryPath);
    if (!entry.categoryOnly)
      category.videos.push_back({entry.name, entry.videoUrl, entry.imageUrl});
  }
  return categories;
}

bool sameTree(const std::vector<Category>& a, const std::vector<Category>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].path != b[i].path || a[i].videos != b[i].videos) return false;
  }
  return true;
}

TEST(PlaylistRoundTripTest, AnExportReadsBackAsTheSameTree) {
  for (const PlaylistFormat format : {PlaylistFormat::kM3u, PlaylistFormat::kCsv}) {
    const std::string text = written(format);
    const auto refuse = [](std::string_view, std::string*) { return false; };
    EXPECT_EQ(detectEncoding(text), TextEncoding::kUtf8);
    EXPECT_TRUE(sameTree(tree(readPlaylist(format, text, refuse)), kCatalogue)) << text;
  }
}

TEST(PlaylistRoundTripTest, M3uSaysWhatItCouldNotWriteExactly) {
  const struct {
    ExportedVideo video;
    bool exact;
  } cases[] = {
      {{"名称", "http://v/1", "http://i/1.jpg"}, true},
      {{"two\nlines", "http://v/1", ""}, false},
      {{"a", "http://v/1", "http://i/\"q\".jpg"}, false},
      {{"a", "", ""}, false},
      {{"a", "#not-a-url", ""}, false},
  };
  for (const auto& c : cases) {
    std::string m3u, csv;
    EXPECT_EQ(makeM3uWriter(&m3u)->addVideo(c.video), c.exact) << c.video.name;
    EXPECT_TRUE(makeCsvWriter(&csv, {})->addVideo(c.video)) << c.video.name;
  }
}

}  // namespace
}  // namespace orvalen::formats
