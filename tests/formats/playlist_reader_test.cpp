// Playlists as they come: each case is a file's text and the entries read from it, one line
// each as "LINE|PATH|NAME|VIDEO URL|IMAGE URL" with " !no-url" or " !undecodable" after an
// entry that cannot be taken, and " !category" after one that only names a category.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/code_page.h"
#include "formats/playlist_reader.h"

namespace orvalen::formats {
namespace {

struct Shape {
  const char* what;
  const char* fileName;
  std::string text;
  std::vector<std::string> entries;
};

std::string described(const PlaylistEntry& entry) {
  std::string text = std::to_string(entry.line) + "|" + joinCategoryPath(entry.categoryPath) + "|" +
                     entry.name + "|" + entry.videoUrl + "|" + entry.imageUrl;
  if (entry.problem == EntryProblem::kNoUrl) text += " !no-url";
  if (entry.problem == EntryProblem::kUndecodable) text += " !undecodable";
  if (entry.categoryOnly) text += " !category";
  return text;
}

// Decodes as the editor does, in the plugin files' code page.
bool decodeGbk(std::string_view bytes, std::string* utf8) {
  static const CodePage gbk("CP936");
  bool undecodable = false;
  *utf8 = gbk.decode(bytes, &undecodable);
  return !undecodable;
}

std::vector<std::string> readShape(const Shape& shape) {
  std::vector<std::string> entries;
  for (const PlaylistEntry& entry :
       readPlaylist(playlistFormatOf(shape.fileName), shape.text, decodeGbk)) {
    entries.push_back(described(entry));
  }
  return entries;
}

const std::vector<Shape> kShapes = {
    {"extended M3U with logos and groups",
     "a.m3u8",
     "#EXTM3U x-tvg-url=\"http://e/epg.xml\"\n"
     "#EXTINF:-1 tvg-id=\"c1\" tvg-logo=\"http://i/1.png\" group-title=\"新闻\",CCTV-1 综合\n"
     "http://v/1.m3u8\n"
     "#EXTINF:-1 tvg-logo=\"http://i/2.png\" group-title=\"电影/动作\",功夫\n"
     "#EXTVLCOPT:http-user-agent=Mozilla\n"
     "http://v/2.m3u8\n",
     {"2|新闻|CCTV-1 综合|http://v/1.m3u8|http://i/1.png",
      "4|电影/动作|功夫|http://v/2.m3u8|http://i/2.png"}},
    {"no #EXTM3U, CR LF, a byte order mark",
     "a.m3u",
     "\xEF\xBB\xBF#EXTINF:0,One\r\nhttp://v/1\r\n\r\n#EXTINF:0,Two\r\nhttp://v/2",
     {"1||One|http://v/1|", "4||Two|http://v/2|"}},
    {"several groups, the first taken; an empty group",
     "a.m3u",
     "#EXTINF:-1 group-title=\"体育;高清\",A\nhttp://v/a\n#EXTINF:-1 "
     "group-title=\"\",B\nhttp://v/b\n",
     {"1|体育|A|http://v/a|", "3||B|http://v/b|"}},
    {"names with commas, attributes holding commas",
     "a.m3u",
     "#EXTINF:-1 tvg-name=\"a,b\" group-title=\"x, y\",Tom, Jerry, and friends\nhttp://v/1\n",
     {"1|x, y|Tom, Jerry, and friends|http://v/1|"}},
    {"attributes without quotes or in single quotes",
     "a.m3u",
     "#EXTINF:-1 tvg-logo=http://i/1.png group-title=News,One\nhttp://v/1\n"
     "#EXTINF:-1 logo='http://i/2.png' GROUP-TITLE='Sport',Two\nhttp://v/2\n",
     {"1|News|One|http://v/1|http://i/1.png", "3|Sport|Two|http://v/2|http://i/2.png"}},
    {"#EXTGRP holds for the entries after it that name no group",
     "a.m3u",
     "#EXTGRP:少儿\n#EXTINF:-1,A\nhttp://v/a\n#EXTINF:-1 group-title=\"其他\",B\nhttp://v/b\n"
     "http://v/c.mp4\n#EXTINF:-1,D\n#EXTGRP:纪录\nhttp://v/d\n",
     {"1|少儿||| !category", "2|少儿|A|http://v/a|", "4|其他|B|http://v/b|",
      "6|少儿|c.mp4|http://v/c.mp4|", "8|纪录||| !category", "7|纪录|D|http://v/d|"}},
    {"URLs without #EXTINF are named by their last path segment",
     "list.txt",
     "http://v/films/%E5%8A%9F%E5%A4%AB.mp4?token=1\n  rtmp://live/app/stream/  \n"
     "http://host\n# a comment\nD:\\videos\\a.mp4\n",
     {"1||功夫.mp4|http://v/films/%E5%8A%9F%E5%A4%AB.mp4?token=1|",
      "2||stream|rtmp://live/app/stream/|", "3||host|http://host|", "5||a.mp4|D:\\videos\\a.mp4|"}},
    {"an #EXTINF without a URL",
     "a.m3u",
     "#EXTINF:-1,Lost\n#EXTINF:-1,Kept\nhttp://v/k\n#EXTINF:-1,Last\n",
     {"1||Lost|| !no-url", "2||Kept|http://v/k|", "4||Last|| !no-url"}},
    {"an #EXTINF without a name",
     "a.m3u",
     "#EXTINF:-1 tvg-logo=\"http://i/x.png\"\nhttp://v/x.ts\n",
     {"1||x.ts|http://v/x.ts|http://i/x.png"}},
    {"live-TV .txt lists: name,URL and group,#genre#",
     "tv.txt",
     "央视,#genre#\nCCTV-1,http://v/1\nCCTV, 2,http://v/2?a=1,2\n卫视,#genre#\nhttp://v/3\n",
     {"1|央视||| !category", "2|央视|CCTV-1|http://v/1|", "3|央视|CCTV, 2|http://v/2?a=1,2|",
      "4|卫视||| !category", "5|卫视|3|http://v/3|"}},
    {"a group title with an escaped slash",
     "a.m3u",
     "#EXTINF:-1 group-title=\"Music/AC\\/DC\",Live\nhttp://v/1\n",
     {"1|Music/AC\\/DC|Live|http://v/1|"}},
    {"GBK, not UTF-8: decoded in the code page",
     "a.m3u",
     "#EXTINF:-1 group-title=\"\xD0\xC2\xCE\xC5\",\xB9\xA6\xB7\xF2\nhttp://v/1\n"
     "#EXTINF:-1,\xFF\nhttp://v/2\n",
     {"1|新闻|功夫|http://v/1|", "3||\xFF|http://v/2| !undecodable"}},
    {"a zero byte, which would cut the text short",
     "a.m3u",
     std::string("#EXTINF:-1,a\0b\nhttp://v/1\n", 26),
     {std::string("1||a\0b|http://v/1| !undecodable", 31)}},
    {"UTF-16 with a byte order mark, as Notepad saves it",
     "a.m3u",
     std::string("\xFF\xFE#\0E\0X\0T\0I\0N\0F\0:\0-\0"
                 "1\0,\0\x9F\x52\x2B\x59\n\0h\0t\0t\0p\0:\0/\0/\0v\0\n\0",
                 48),
     {"1||功夫|http://v|"}},
    {"CSV with column titles, quotes, CR LF and a path column",
     "a.CSV",
     "\xEF\xBB\xBFname,url,logo,group\r\n\"Tom, Jerry\",http://v/1,http://i/1.png,动画/经典\r\n"
     "\"say \"\"hi\"\"\",http://v/2\r\n,,\r\nNo "
     "URL,,http://i/3.png\r\n,http://v/4.mp4\r\n,,,空\r\n",
     {"2|动画/经典|Tom, Jerry|http://v/1|http://i/1.png", "3||say \"hi\"|http://v/2|",
      "5||No URL||http://i/3.png !no-url", "6||4.mp4|http://v/4.mp4|", "7|空||| !category"}},
    {"CSV without titles; a first record is only titles when its URL is a word",
     "a.csv",
     "One,http://v/1\nTwo,video.mp4,,  A / B  \n",
     {"1||One|http://v/1|", "2|A/B|Two|video.mp4|"}},
};

TEST(PlaylistReaderTest, ReadsTheShapesFoundInTheWild) {
  for (const Shape& shape : kShapes) {
    EXPECT_EQ(readShape(shape), shape.entries) << shape.what;
  }
}

TEST(PlaylistReaderTest, FindsTheEncoding) {
  const struct {
    std::string bytes;
    TextEncoding encoding;
  } cases[] = {
      {"", TextEncoding::kUtf8},
      {"http://v/1\n", TextEncoding::kUtf8},
      {"\xEF\xBB\xBF\xB9\xA6", TextEncoding::kUtf8},  // the mark decides
      {"功夫", TextEncoding::kUtf8},
      {"\xB9\xA6\xB7\xF2", TextEncoding::kCodePage},
      {"\xC0\xAF", TextEncoding::kCodePage},          // overlong '/'
      {"\xED\xA0\x80", TextEncoding::kCodePage},      // a surrogate
      {"\xF4\x90\x80\x80", TextEncoding::kCodePage},  // above U+10FFFF
      {"\xE5\x8A", TextEncoding::kCodePage},          // cut short
      {"\xFF\xFEh\0", TextEncoding::kUtf16LittleEndian},
      {"\xFE\xFF\0h", TextEncoding::kUtf16BigEndian},
  };
  for (const auto& c : cases) EXPECT_EQ(detectEncoding(c.bytes), c.encoding) << c.bytes;
}

TEST(PlaylistReaderTest, ReportsProgressEntryByEntry) {
  PlaylistReader reader(PlaylistFormat::kM3u, "http://v/1\nhttp://v/2\n", decodeGbk);
  PlaylistEntry entry;
  EXPECT_EQ(reader.progress(), 0.0);
  ASSERT_TRUE(reader.next(&entry));
  EXPECT_EQ(reader.progress(), 0.5);
  ASSERT_TRUE(reader.next(&entry));
  EXPECT_FALSE(reader.next(&entry));
  EXPECT_EQ(reader.progress(), 1.0);
}

}  // namespace
}  // namespace orvalen::formats
