// The allocation side of the library's formatting calls; the conversions themselves are
// covered by the formatter's tests.
#include <cstdarg>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "sqlite.h"

namespace {

std::string viaVmprintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char* text = sqlite_vmprintf(format, args);
  va_end(args);
  std::string copy = text ? text : "<null>";
  sqlite_freemem(text);
  return copy;
}

TEST(MprintfTest, ReturnsTextThatFreememReleases) {
  char* text = sqlite_mprintf("insert into t values(%d, %Q, '%q');", -1, "it's", "a'b");
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "insert into t values(-1, 'it''s', 'a''b');");
  sqlite_freemem(text);
  sqlite_freemem(nullptr);
}

TEST(MprintfTest, VmprintfFormatsTheSameWay) {
  EXPECT_EQ(viaVmprintf("%s|%5.1f|%Q", "x", 2.25, nullptr), "x|  2.3|NULL");
}

TEST(MprintfTest, LongTextsAreNotCut) {
  const std::string big(1 << 20, 'q');
  char* text = sqlite_mprintf("[%s]", big.c_str());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::strlen(text), big.size() + 2);
  sqlite_freemem(text);
}

TEST(MprintfTest, NullFormatGivesAnEmptyText) {
  char* text = sqlite_mprintf(nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "");
  sqlite_freemem(text);
}

TEST(LibraryInfoTest, VersionEncodingAndErrorTexts) {
  EXPECT_STREQ(sqlite_libversion(), "2.8.15");
  EXPECT_STREQ(sqlite_libencoding(), "UTF-8");
  EXPECT_STREQ(sqlite_error_string(SQLITE_OK), "not an error");
  EXPECT_STREQ(sqlite_error_string(SQLITE_ERROR), "SQL logic error or missing database");
  EXPECT_STREQ(sqlite_error_string(SQLITE_ABORT), "callback requested query abort");
  EXPECT_STREQ(sqlite_error_string(SQLITE_BUSY), "database is locked");
  EXPECT_STREQ(sqlite_error_string(SQLITE_MISUSE), "library routine called out of sequence");
  EXPECT_STREQ(sqlite_error_string(SQLITE_NOTADB), "file is encrypted or is not a database");
  EXPECT_STREQ(sqlite_error_string(SQLITE_ROW), "unknown error");
  EXPECT_STREQ(sqlite_error_string(-1), "unknown error");
}

}  // namespace
