#include "orvalen_session.h"

#include <dirent.h>
#include <iconv.h>

namespace orvalen::test {

std::string gbk(const std::string& utf8) {
  iconv_t convert = ::iconv_open("GBK", "UTF-8");
  std::string in = utf8;
  std::string out(in.size() * 2 + 4, '\0');
  char* inPointer = in.data();
  char* outPointer = out.data();
  size_t inLeft = in.size();
  size_t outLeft = out.size();
  ::iconv(convert, &inPointer, &inLeft, &outPointer, &outLeft);
  ::iconv_close(convert);
  out.resize(out.size() - outLeft);
  return out;
}

std::vector<std::string> rows(const std::string& path, const std::string& sql) {
  try {
    return referenceQuery(path, sql);
  } catch (const std::exception&) {
    return {};
  }
}

void makePluginFile(const std::string& path, const std::vector<std::string>& inserts) {
  referenceQuery(path,
                 "create table tb_type_list (id integer primary key, parentid integer, "
                 "ItemText text)");
  referenceQuery(path,
                 "create table tb_item_list (id integer primary key, parentid integer, "
                 "ItemText text, itemUrl text, itemImageUrl text)");
  for (const auto& insert : inserts) referenceQuery(path, insert);
}

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

void OrvalenSession::SetUp() {
  session_ = start();
  if (!session_->unavailable().empty()) GTEST_SKIP() << session_->unavailable();
  if (startsAtTheChooser_) waitForChooser();
}

void OrvalenSession::TearDown() {
  if (HasFailure() && session_) {
    session_->screenshot(::testing::TempDir() + "orvalen-session-failure.png");
  }
}

void OrvalenSession::addCategoryWithTheKeyboard(const std::string& editor, const std::string& file,
                                                const std::string& name) {
  s().moveTo(editor, 150, 300);
  s().key("Home Insert");
  typeLabel(name);
  ASSERT_TRUE(waitUntil([&] {
    return rows(file, "select * from tb_type_list") ==
           std::vector<std::string>{"1|-1|" + gbk(name)};
  })) << "the category did not reach "
      << file;
}

void OrvalenSession::addRenamedCategoryWithTwoVideos(const std::string& editor,
                                                     const std::string& file) {
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
}

}  // namespace orvalen::test
