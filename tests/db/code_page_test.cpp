// Texts between the program (UTF-8) and plugin files (code page 936 unless chosen otherwise).

#include <cstdlib>
#include <string>

#include "db/code_page.h"
#include "db/exception.h"
#include "db/file_text.h"
#include "db/unrepresentable.h"
#include "fake_sqlite.h"
#include "support/environment.h"
#include "text/utf16.h"
#include "text/utf8.h"

namespace {

using fake::FakeLibraryTest;
using orvalen::test::setEnvironmentVariable;
using orvalen::test::unsetEnvironmentVariable;
using orvalen::text::codePointName;
using orvalen::text::utf16FromUtf8;
using orvalen::text::utf8CharacterLength;
using orvalen::text::utf8FromUtf16;
using testing::HasSubstr;

const std::string kChinese = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const std::string kChineseGbk = "\xD6\xD0\xCE\xC4";
const std::string kEmoji = "\xF0\x9F\x98\x80";  // U+1F600, in no Chinese code page
const std::string kReplacement = "\xEF\xBF\xBD";

std::string refusal(const CodePage& codePage, const std::string& text) {
  try {
    codePage.encode(text);
  } catch (const CppSQLiteException& error) {
    EXPECT_EQ(error.code(), CPPSQLITE_ERROR);
    return error.message();
  }
  ADD_FAILURE() << "the text was not refused";
  return "";
}

TEST_F(FakeLibraryTest, Gbk936RoundTripsChineseAndTheEuroSign) {
  CodePage gbk("CP936");
  EXPECT_EQ(gbk.encode(kChinese), kChineseGbk);
  EXPECT_EQ(gbk.decode(kChineseGbk), kChinese);
  EXPECT_EQ(gbk.encode("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(gbk.decode("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(gbk.encode(""), "");
  EXPECT_EQ(gbk.encode("http://a/b?c='d'"), "http://a/b?c='d'");
}

TEST_F(FakeLibraryTest, TextTheCodePageCannotHoldIsRefusedNamingTextAndCodePage) {
  CodePage gbk("CP936");
  std::string message = refusal(gbk, "smile " + kEmoji);
  EXPECT_THAT(message, HasSubstr("CPPSQLITE_ERROR[1000]: "));
  EXPECT_THAT(message, HasSubstr("\"smile " + kEmoji + "\""));
  EXPECT_THAT(message, HasSubstr("U+1F600"));
  EXPECT_THAT(message, HasSubstr("CP936"));

  EXPECT_THAT(refusal(gbk, "bad \xC3"), HasSubstr("not valid UTF-8"));
  EXPECT_THAT(refusal(gbk, "bad \xED\xA0\x80"), HasSubstr("not valid UTF-8"));

  // A long text is named by its start, cut at a character boundary.
  std::string longText = std::string(59, 'a') + kChinese + std::string(1000, 'b') + kEmoji;
  message = refusal(gbk, longText);
  EXPECT_LT(message.size(), 200u);
  EXPECT_THAT(message, HasSubstr("\"" + std::string(59, 'a') + "...\""));
}

TEST_F(FakeLibraryTest, RefusedTextsAreOfTheirOwnKindAndAnUnknownCodePageIsNot) {
  CodePage gbk("CP936");
  try {
    gbk.encode(kEmoji);
    ADD_FAILURE() << "not refused";
  } catch (const CppSQLiteException& error) {
    EXPECT_EQ(error.kind(), FailureKind::kTextNotRepresentable);
  }
  try {
    CodePage("NO-SUCH-CODE-PAGE").encode("a");
    ADD_FAILURE() << "not refused";
  } catch (const CppSQLiteException& error) {
    EXPECT_EQ(error.kind(), FailureKind::kOther);
  }
}

TEST_F(FakeLibraryTest, TheFirstCharacterACodePageCannotHoldIsFound) {
  CodePage gbk("CP936");
  EXPECT_EQ(firstUnrepresentableCharacter(gbk, "电影 " + kChinese), std::nullopt);
  EXPECT_EQ(firstUnrepresentableCharacter(gbk, ""), std::nullopt);
  EXPECT_EQ(firstUnrepresentableCharacter(gbk, "ab" + kEmoji + "\xC3\xA9" + kEmoji), kEmoji);
  // The Korean syllable 한 is in no Chinese code page; é is in GBK.
  EXPECT_EQ(firstUnrepresentableCharacter(gbk, "caf\xC3\xA9 \xED\x95\x9C"), "\xED\x95\x9C");
  EXPECT_EQ(firstUnrepresentableCharacter(gbk, "x\xC3y"), "\xC3") << "a byte that is not UTF-8";
  EXPECT_EQ(firstUnrepresentableCharacter(CodePage("UTF-8"), kEmoji), std::nullopt);
  EXPECT_THROW(firstUnrepresentableCharacter(CodePage("NO-SUCH-CODE-PAGE"), "a"),
               CppSQLiteException);
}

TEST_F(FakeLibraryTest, CharactersAreNamedByTheirCodePoints) {
  EXPECT_EQ(codePointName("A"), "U+0041");
  EXPECT_EQ(codePointName("\xC3\xA9"), "U+00E9");
  EXPECT_EQ(codePointName("\xE4\xB8\xAD"), "U+4E2D");
  EXPECT_EQ(codePointName(kEmoji), "U+1F600");
  for (const char* notOne : {"", "AB", "\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    EXPECT_EQ(codePointName(notOne), "") << notOne;
  }
  EXPECT_EQ(utf8CharacterLength(kEmoji + "x"), 4u);
  EXPECT_EQ(utf8CharacterLength("\x80"), 0u);
}

// What Windows' wide-character calls take and give; what is not a character becomes U+FFFD.
TEST_F(FakeLibraryTest, Utf8AndUtf16ConvertBothWays) {
  const std::string kR = "\xEF\xBF\xBD";
  const struct {
    std::string utf8;
    std::u16string utf16;
    std::string back;
  } cases[] = {
      {"a\xC3\xA9" + kChinese, u"a\u00E9\u4E2D\u6587", "a\xC3\xA9" + kChinese},
      {kEmoji, u"\U0001F600", kEmoji},
      {"x\xC3y", u"x\uFFFDy", "x" + kR + "y"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", kR + kR + kR},
  };
  for (const auto& [utf8, utf16, back] : cases) {
    EXPECT_EQ(utf16FromUtf8(utf8), utf16) << utf8;
    EXPECT_EQ(utf8FromUtf16(utf16), back) << utf8;
  }
  EXPECT_EQ(utf8FromUtf16(std::u16string(1, char16_t{0xD83D}) + u"a"), kR + "a")
      << "an unpaired surrogate";
}

TEST_F(FakeLibraryTest, UndecodableBytesBecomeReplacementCharactersAndAreReported) {
  CodePage gbk("CP936");
  bool undecodable = true;
  EXPECT_EQ(gbk.decode(kChineseGbk, &undecodable), kChinese);
  EXPECT_FALSE(undecodable);

  EXPECT_EQ(gbk.decode("a\xFF"
                       "b" +
                           kChineseGbk,
                       &undecodable),
            "a" + kReplacement + "b" + kChinese);
  EXPECT_TRUE(undecodable);
  // A lead byte cut off at the end, and one followed by a byte that cannot trail it.
  EXPECT_EQ(gbk.decode("ab\xD6"), "ab" + kReplacement);
  EXPECT_EQ(gbk.decode("\xD6 x"), kReplacement + " x");

  CodePage utf8("UTF-8");
  EXPECT_EQ(utf8.decode("ok\xC3(\xF0\x9F"),
            "ok" + kReplacement + "(" + kReplacement + kReplacement);
}

TEST_F(FakeLibraryTest, EnvironmentChoosesTheCodePage) {
  unsetEnvironmentVariable("ORVALEN_CODEPAGE");
  EXPECT_EQ(CodePage::forPluginFiles().name(), "CP936");
  setEnvironmentVariable("ORVALEN_CODEPAGE", "");
  EXPECT_EQ(CodePage::forPluginFiles().name(), "CP936");
  setEnvironmentVariable("ORVALEN_CODEPAGE", "BIG5");
  CodePage big5 = CodePage::forPluginFiles();
  unsetEnvironmentVariable("ORVALEN_CODEPAGE");
  EXPECT_EQ(big5.name(), "BIG5");
  EXPECT_EQ(big5.encode(kChinese), "\xA4\xA4\xA4\xE5");
}

TEST_F(FakeLibraryTest, UnknownCodePageIsReportedWhenUsed) {
  CodePage unknown("NO-SUCH-CODE-PAGE");
  EXPECT_THAT(refusal(unknown, "a"), HasSubstr("unknown code page NO-SUCH-CODE-PAGE"));
  EXPECT_THROW(unknown.decode("a"), CppSQLiteException);
}

TEST_F(FakeLibraryTest, AsciiIsTakenAsItIsOnlyWhereItStandsForItself) {
  CodePage gbk("CP936");
  EXPECT_TRUE(gbk.decodesUnchanged("http://media.example/v/1.m3u8?a='b'&c=~{d}+e"));
  EXPECT_TRUE(gbk.decodesUnchanged(""));
  EXPECT_FALSE(gbk.decodesUnchanged("video " + kChineseGbk));
  for (size_t at = 0; at < 21; ++at) {  // one high byte anywhere, in a word or in the tail
    std::string text(21, 'x');
    text[at] = '\xA1';
    EXPECT_FALSE(gbk.decodesUnchanged(text)) << at;
  }
  EXPECT_TRUE(CodePage("BIG5").decodesUnchanged("abc"));
  EXPECT_TRUE(CodePage("UTF-8").decodesUnchanged("abc"));
  // Code pages where ASCII bytes mean something else, or start a sequence.
  CodePage utf16("UTF-16LE"), utf7("UTF-7"), ebcdic("IBM037"), jis("ISO-2022-JP");
  for (const CodePage* other : {&utf16, &utf7, &ebcdic}) {
    EXPECT_FALSE(other->decodesUnchanged("ab")) << other->name();
  }
  // Wine has no converter for ISO-2022-JP; where there is one, its escapes start sequences.
  try {
    EXPECT_FALSE(jis.decodesUnchanged("ab"));
  } catch (const CppSQLiteException& error) {
    EXPECT_THAT(error.message(), HasSubstr("unknown code page ISO-2022-JP"));
  }
  EXPECT_EQ(utf16.decode("ab"), "\xE6\x89\xA1");  // U+6261
  EXPECT_EQ(utf7.decode("1+-1"), "1+1");
  EXPECT_EQ(ebcdic.decode("A"), "\xC2\xA0");  // 0x41 is a no-break space there
  EXPECT_THROW(CodePage("NO-SUCH-CODE-PAGE").decodesUnchanged("ab"), CppSQLiteException);
}

TEST_F(FakeLibraryTest, FileTextKeepsTheFilesBytesUntilEdited) {
  CodePage gbk("CP936");
  const std::string bytes = "name\xFF" + kChineseGbk;
  FileText read = FileText::fromFile(bytes, gbk);
  EXPECT_EQ(read.text(), "name" + kReplacement + kChinese);
  EXPECT_TRUE(read.hasUndecodableBytes());
  EXPECT_EQ(read.fileBytes(gbk), bytes);

  read.setText(read.text());
  EXPECT_EQ(read.fileBytes(gbk), bytes) << "confirming the same text is no edit";
  read.setText("new " + kChinese);
  EXPECT_EQ(read.fileBytes(gbk), "new " + kChineseGbk);
  read.setText("name" + kReplacement + kChinese + "!");
  EXPECT_THROW(read.fileBytes(gbk), CppSQLiteException) << "U+FFFD itself has no GBK form";

  FileText clean = FileText::fromFile(kChineseGbk, gbk);
  EXPECT_FALSE(clean.hasUndecodableBytes());
  EXPECT_EQ(FileText(kChinese).fileBytes(gbk), kChineseGbk);
}

TEST_F(FakeLibraryTest, FileTextsThatAreTheirOwnBytesGoBackAsRead) {
  // An ASCII text is its own bytes; a UTF-8 file's valid text is too. Either way the bytes
  // written back are the bytes read until the text is edited, and again once it is edited
  // back to what was read.
  CodePage gbk("CP936");
  CodePage utf8("UTF-8");
  FileText url = FileText::fromFile("http://a/b.m3u8", gbk);
  EXPECT_EQ(url.text(), "http://a/b.m3u8");
  EXPECT_FALSE(url.hasUndecodableBytes());
  EXPECT_EQ(url.fileBytes(gbk), "http://a/b.m3u8");
  url.setText("http://a/" + kChinese);
  EXPECT_EQ(url.fileBytes(gbk), "http://a/" + kChineseGbk);
  url.setText("http://a/b.m3u8");
  EXPECT_EQ(url.fileBytes(gbk), "http://a/b.m3u8");

  FileText name = FileText::fromFile(kChinese, utf8);
  EXPECT_EQ(name.text(), kChinese);
  name.setText("x");
  name.setText(kChinese);
  EXPECT_EQ(name.fileBytes(utf8), kChinese);

  // Edited back after a change, a text with undecodable bytes writes its bytes again.
  const std::string bytes = "a\xFF" + kChineseGbk;
  FileText odd = FileText::fromFile(bytes, gbk);
  const std::string shown = odd.text();
  odd.setText("plain");
  EXPECT_EQ(odd.fileBytes(gbk), "plain");
  odd.setText(shown);
  EXPECT_EQ(odd.fileBytes(gbk), bytes);

  // Moving the text out of a FileText that is done with.
  FileText done = FileText::fromFile("http://moved/", gbk);
  std::string taken = std::move(done).text();
  EXPECT_EQ(taken, "http://moved/");
}

}  // namespace
