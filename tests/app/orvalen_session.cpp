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
  auto chooser = session_->waitForWindow("类型选择");
  ASSERT_TRUE(chooser) << "the chooser did not show";
  chooser_ = *chooser;
}

void OrvalenSession::TearDown() {
  if (HasFailure() && session_) {
    session_->screenshot(::testing::TempDir() + "orvalen-session-failure.png");
  }
}

}  // namespace orvalen::test
