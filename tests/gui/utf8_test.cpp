// Texts crossing into wxWidgets: well-formed UTF-8 unchanged, anything else shown with U+FFFD
// instead of losing the whole text.

#include "editor/wx/utf8.h"

#include <gtest/gtest.h>

#include "text/utf8.h"

namespace orvalen::wx {
namespace {

using text::withInvalidUtf8Replaced;

const std::string kR = "\xEF\xBF\xBD";  // U+FFFD

TEST(Utf8Edge, WellFormedTextsCrossUnchanged) {
  for (const std::string& text :
       {std::string(), std::string("plain"), std::string("电影 · 动作片"),
        std::string("\xF0\x9F\x8E\xAC clapper"), std::string("\xC2\x80\xDF\xBF"),
        std::string("\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF")}) {
    EXPECT_EQ(withInvalidUtf8Replaced(text), text);
    EXPECT_EQ(fromWx(toWx(text)), text);
  }
}

TEST(Utf8Edge, EachByteOutsideAWellFormedSequenceBecomesOneReplacement) {
  EXPECT_EQ(withInvalidUtf8Replaced("a\xFF"
                                    "b"),
            "a" + kR + "b");
  EXPECT_EQ(withInvalidUtf8Replaced("\xC0\xAF"), kR + kR) << "overlong";
  EXPECT_EQ(withInvalidUtf8Replaced("\xE0\x9F\xBF"), kR + kR + kR) << "overlong";
  EXPECT_EQ(withInvalidUtf8Replaced("\xED\xA0\x80"), kR + kR + kR) << "surrogate";
  EXPECT_EQ(withInvalidUtf8Replaced("\xF4\x90\x80\x80"), kR + kR + kR + kR) << "past U+10FFFF";
  EXPECT_EQ(withInvalidUtf8Replaced("\xF5\x80\x80\x80"), kR + kR + kR + kR);
  EXPECT_EQ(withInvalidUtf8Replaced("x\xE7\x94"), "x" + kR + kR) << "cut at the end";
  EXPECT_EQ(withInvalidUtf8Replaced("\xE7"
                                    "a\xE5\xBD\xB1"),
            kR + "a\xE5\xBD\xB1");
}

TEST(Utf8Edge, AMessageQuotingForeignBytesKeepsEverythingElse) {
  // "near "电影": syntax error" with the name in GBK, as an engine message would quote it.
  const std::string message = "near \"\xB5\xE7\xD3\xB0\": syntax error";
  const std::string shown = fromWx(toWx(message));
  // D3 B0 happens to be well-formed UTF-8 (U+04F0) and stays.
  EXPECT_EQ(shown, "near \"" + kR + kR + "\xD3\xB0\": syntax error");
}

}  // namespace
}  // namespace orvalen::wx
