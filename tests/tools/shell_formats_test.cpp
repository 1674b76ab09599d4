// The shell's pieces that decide bytes of its output and input: SQL literals, CSV fields,
// HTML text, command words, LIKE patterns and where statements end.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dot_commands.h"
#include "formats/csv_reader.h"
#include "row_printer.h"
#include "schema_listing.h"
#include "statement_completeness.h"
#include "value_formats.h"

namespace orvalen::tools {
namespace {

template <typename Write>
std::string captured(Write write) {
  std::FILE* out = std::tmpfile();
  write(out);
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  return text;
}

std::string sqlValue(const char* value) {
  return captured([&](std::FILE* out) { writeSqlValue(out, value); });
}

TEST(SqlValueTest, OnlyIntegersThatReadBackAlikeGoUnquoted) {
  EXPECT_EQ(sqlValue(nullptr), "NULL");
  EXPECT_EQ(sqlValue("0"), "0");
  EXPECT_EQ(sqlValue("-42"), "-42");
  EXPECT_EQ(sqlValue("9223372036854775807"), "9223372036854775807");
  EXPECT_EQ(sqlValue("-9223372036854775808"), "-9223372036854775808");
  // SQLite 3 would turn each of these into another text.
  EXPECT_EQ(sqlValue("9223372036854775808"), "'9223372036854775808'");
  EXPECT_EQ(sqlValue("007"), "'007'");
  EXPECT_EQ(sqlValue("-0"), "'-0'");
  EXPECT_EQ(sqlValue("+5"), "'+5'");
  EXPECT_EQ(sqlValue("1.50"), "'1.50'");
  EXPECT_EQ(sqlValue("1e5"), "'1e5'");
  EXPECT_EQ(sqlValue(""), "''");
  EXPECT_EQ(sqlValue("it's ''x''"), "'it''s ''''x'''''");
  EXPECT_EQ(sqlValue("line\nbreak\r\n"), "'line\nbreak\r\n'");
  EXPECT_EQ(sqlValue("\xca\xd3\xc6\xb5"), "'\xca\xd3\xc6\xb5'");
}

TEST(SqlNameTest, KeywordsAndOddNamesAreQuoted) {
  EXPECT_EQ(sqlName("tb_item_list"), "tb_item_list");
  EXPECT_EQ(sqlName("_x1"), "_x1");
  EXPECT_EQ(sqlName("order"), "'order'");
  EXPECT_EQ(sqlName("Table"), "'Table'");
  EXPECT_EQ(sqlName("1st"), "'1st'");
  EXPECT_EQ(sqlName("my list"), "'my list'");
  EXPECT_EQ(sqlName("it's"), "'it''s'");
  EXPECT_EQ(sqlName("\xca\xd3\xc6\xb5"), "'\xca\xd3\xc6\xb5'");
}

TEST(CsvFieldTest, QuotedOnlyWhenAReaderWouldMisreadIt) {
  auto field = [](const char* text, const char* separator) {
    return captured([&](std::FILE* out) { writeCsvField(out, text, separator); });
  };
  EXPECT_EQ(field("plain", ","), "plain");
  EXPECT_EQ(field("", ","), "");
  EXPECT_EQ(field("a,b", ","), "\"a,b\"");
  EXPECT_EQ(field("a,b", ";"), "a,b");
  EXPECT_EQ(field("a;b", ";"), "\"a;b\"");
  EXPECT_EQ(field("say \"hi\"", ","), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(field("two\nlines", ","), "\"two\nlines\"");
  EXPECT_EQ(field("cr\r", ","), "\"cr\r\"");
  EXPECT_EQ(field(" padded", ","), "\" padded\"");
  EXPECT_EQ(field("\xca\xd3\xc6\xb5", ","), "\xca\xd3\xc6\xb5");
}

TEST(HtmlTextTest, LessThanAndAmpersandBecomeEntities) {
  EXPECT_EQ(captured([](std::FILE* out) { writeHtmlText(out, "a<b & c>d"); }), "a&lt;b &amp; c>d");
}

using formats::CsvReader;

std::vector<std::vector<std::string>> csvRecords(const std::string& text, char separator = ',') {
  CsvReader reader(text, separator);
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> fields;
  while (reader.readRecord(&fields)) records.push_back(fields);
  return records;
}

using Records = std::vector<std::vector<std::string>>;

TEST(CsvReaderTest, QuotesSeparatorsAndLineBreaks) {
  EXPECT_EQ(csvRecords("a,b\nc,d\n"), (Records{{"a", "b"}, {"c", "d"}}));
  EXPECT_EQ(csvRecords("a,b\r\nc,d"), (Records{{"a", "b"}, {"c", "d"}}));
  EXPECT_EQ(csvRecords("\"a,1\",\"say \"\"hi\"\"\"\n"), (Records{{"a,1", "say \"hi\""}}));
  EXPECT_EQ(csvRecords("\"two\r\nlines\",x\r\n"), (Records{{"two\r\nlines", "x"}}));
  EXPECT_EQ(csvRecords(",,\n\"\",x\n"), (Records{{"", "", ""}, {"", "x"}}));
  EXPECT_EQ(csvRecords("a|\"b|c\"\n", '|'), (Records{{"a", "b|c"}}));
  EXPECT_EQ(csvRecords("\xEF\xBB\xBFname\n"), (Records{{"name"}}));
  EXPECT_EQ(csvRecords("\xca\xd3,\"\xc6\xb5\"\n"), (Records{{"\xca\xd3", "\xc6\xb5"}}));
  EXPECT_EQ(csvRecords(""), Records{});
  // A blank line is a record of one empty field, as SQLite 3 reads it.
  EXPECT_EQ(csvRecords("a\n\nb\n"), (Records{{"a"}, {""}, {"b"}}));
}

TEST(CsvReaderTest, StrayQuotesAreKeptAndReported) {
  CsvReader reader("\"a\"b\",c\n\"open,\nend", ',');
  std::vector<std::string> fields;
  ASSERT_TRUE(reader.readRecord(&fields));
  EXPECT_EQ(fields, (std::vector<std::string>{"a\"b", "c"}));
  EXPECT_EQ(reader.warnings().size(), 1u);
  ASSERT_TRUE(reader.readRecord(&fields));
  EXPECT_EQ(reader.recordLine(), 2);
  EXPECT_EQ(fields, (std::vector<std::string>{"open,\nend"}));
  ASSERT_EQ(reader.warnings().size(), 1u);
  EXPECT_NE(reader.warnings()[0].find("unterminated"), std::string::npos);
  EXPECT_FALSE(reader.readRecord(&fields));
}

TEST(CommandWordsTest, QuotedWordsKeepBlanks) {
  EXPECT_EQ(commandWords("  .import  'my file.csv' \"a b\" c  "),
            (std::vector<std::string>{".import", "my file.csv", "a b", "c"}));
  EXPECT_EQ(commandWords(".separator '"), (std::vector<std::string>{".separator", ""}));
  EXPECT_EQ(resolveEscapes("\\t|\\n|\\\\|\\101|x\\"), "\t|\n|\\|A|x\\");
}

TEST(LikeTest, PercentUnderscoreAndAsciiCase) {
  EXPECT_TRUE(likeMatches("tb_%", "TB_item_list"));
  EXPECT_TRUE(likeMatches("%item%", "tb_item_list"));
  EXPECT_TRUE(likeMatches("t_", "t1"));
  EXPECT_FALSE(likeMatches("t_", "t"));
  EXPECT_FALSE(likeMatches("t", "t1"));
  EXPECT_TRUE(likeMatches("%", ""));
  EXPECT_TRUE(likeMatches("\xca\xd3%", "\xca\xd3\xc6\xb5"));
  EXPECT_FALSE(likeMatches("\xea\xd3", "\xca\xd3"));  // no case folding beyond ASCII
  EXPECT_TRUE(sameName("Tb_Item", "tB_iTEM"));
  EXPECT_FALSE(sameName("tb", "tb_"));
}

TEST(DeclaredColumnCountTest, ColumnsWithoutTableConstraints) {
  EXPECT_EQ(declaredColumnCount("CREATE TABLE t(a, b, c)"), 3);
  EXPECT_EQ(declaredColumnCount("create table tb_item_list (id INTEGER PRIMARY KEY, parentid "
                                "int, ItemText varchar(255), price decimal(10,2) default 0)"),
            4);
  EXPECT_EQ(declaredColumnCount("CREATE TABLE t(\"a,b\" TEXT, 'c(' , d CHECK(d > 0), "
                                "PRIMARY KEY(a, d), UNIQUE(d), CONSTRAINT x CHECK(a<>d))"),
            3);
  EXPECT_EQ(declaredColumnCount("CREATE VIEW v AS SELECT 1"), 0);
}

TEST(StatementScannerTest, CommandsOnlyBetweenStatements) {
  StatementScanner scanner;
  EXPECT_TRUE(scanner.betweenStatements());
  scanner.feed("SELECT 1;\n");
  EXPECT_TRUE(scanner.betweenStatements());
  scanner.feed("-- a comment\n");
  EXPECT_TRUE(scanner.betweenStatements());
  scanner.feed("INSERT INTO t VALUES('\n");
  EXPECT_FALSE(scanner.betweenStatements());
  scanner.feed(".not a command');\n");
  EXPECT_TRUE(scanner.betweenStatements());
  scanner.feed("SELECT /* ; */\n");
  EXPECT_FALSE(scanner.betweenStatements());
}

std::string printedRows(ShellSettings settings) {
  const char* names[] = {"id", "name"};
  const char* first[] = {"1", "<a> & b"};
  const char* second[] = {"22", nullptr};
  return captured([&](std::FILE* out) {
    RowPrinter printer(out, settings);
    printer.startRun(out);
    printer.printRow(2, first, names);
    printer.printRow(2, second, names);
  });
}

TEST(RowPrinterModesTest, EachModeLaysOutRowsItsWay) {
  ShellSettings settings;
  settings.header = true;
  settings.nullValue = "-";
  settings.mode = OutputMode::kLine;
  EXPECT_EQ(printedRows(settings), "   id = 1\n name = <a> & b\n\n   id = 22\n name = -\n");
  settings.mode = OutputMode::kColumn;
  settings.widths = {3};
  EXPECT_EQ(printedRows(settings),
            "id   name      \n---  ----------\n1    <a> & b   \n22   -         \n");
  settings.widths = {0, 4};
  EXPECT_EQ(printedRows(settings),
            "id          name\n----------  ----\n1           <a> \n22          -   \n");
  settings.mode = OutputMode::kHtml;
  EXPECT_EQ(printedRows(settings),
            "<TR><TH>id</TH><TH>name</TH></TR>\n<TR><TD>1</TD>\n<TD>&lt;a> &amp; b</TD>\n</TR>\n"
            "<TR><TD>22</TD>\n<TD>-</TD>\n</TR>\n");
  settings.mode = OutputMode::kInsert;
  settings.insertTable = "t";
  EXPECT_EQ(printedRows(settings),
            "INSERT INTO t VALUES(1,'<a> & b');\nINSERT INTO t VALUES(22,NULL);\n");
  settings.mode = OutputMode::kSemi;
  EXPECT_EQ(printedRows(settings), "id|name\n1|<a> & b;\n22|-;\n");
  ASSERT_TRUE(selectMode("csv", &settings));
  EXPECT_EQ(printedRows(settings), "id,name\r\n1,<a> & b\r\n22,-\r\n");
  ASSERT_TRUE(selectMode("tabs", &settings));
  EXPECT_EQ(printedRows(settings), "id\tname\n1\t<a> & b\n22\t-\n");
  // Leaving tabs brings back the usual separator.
  ASSERT_TRUE(selectMode("list", &settings));
  EXPECT_EQ(settings.mode, OutputMode::kList);
  EXPECT_EQ(printedRows(settings), "id|name\n1|<a> & b\n22|-\n");
  EXPECT_FALSE(selectMode("xml", &settings));
}

}  // namespace
}  // namespace orvalen::tools
