#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "row_printer.h"
#include "shell_options.h"
#include "statement_completeness.h"

namespace orvalen::tools {
namespace {

bool parse(std::vector<const char*> args, ShellOptions* options, std::string* error) {
  args.insert(args.begin(), "orvalen-sql");
  return parseShellOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(ShellOptionsTest, OptionsFileAndStatements) {
  ShellOptions options;
  std::string error;
  ASSERT_TRUE(parse({"-header", "-nullvalue", "NULL", "-separator", ",", "f.db", "SELECT 1;", "-x"},
                    &options, &error));
  EXPECT_TRUE(options.settings.header);
  EXPECT_EQ(options.settings.nullValue, "NULL");
  EXPECT_EQ(options.settings.separator, ",");
  EXPECT_EQ(options.file, "f.db");
  // Everything after the file is SQL, even when it starts with '-'.
  EXPECT_EQ(options.statements, (std::vector<std::string>{"SELECT 1;", "-x"}));
}

TEST(ShellOptionsTest, Defaults) {
  ShellOptions options;
  std::string error;
  ASSERT_TRUE(parse({"f.db"}, &options, &error));
  EXPECT_FALSE(options.settings.header);
  EXPECT_EQ(options.settings.nullValue, "");
  EXPECT_EQ(options.settings.separator, "|");
  EXPECT_EQ(options.settings.mode, OutputMode::kList);
  EXPECT_TRUE(options.statements.empty());
}

TEST(ShellOptionsTest, Mistakes) {
  ShellOptions options;
  std::string error;
  EXPECT_FALSE(parse({"-bogus", "f.db"}, &options, &error));
  EXPECT_EQ(error, "unknown option -bogus");
  EXPECT_FALSE(parse({"-nullvalue"}, &options, &error));
  EXPECT_EQ(error, "unknown option -nullvalue");
  EXPECT_FALSE(parse({"-header"}, &options, &error));
  EXPECT_EQ(error, kUsage);
  ShellOptions version;
  ASSERT_TRUE(parse({"-version", "-bogus"}, &version, &error));
  EXPECT_TRUE(version.showVersion);
}

TEST(StatementCompletenessTest, EndsAtASemicolonOutsideQuotesAndComments) {
  EXPECT_TRUE(endsWithCompleteStatement("SELECT 1;"));
  EXPECT_TRUE(endsWithCompleteStatement("SELECT 1;  \n"));
  EXPECT_TRUE(endsWithCompleteStatement("SELECT\n1\n;"));
  EXPECT_TRUE(endsWithCompleteStatement("SELECT 1; -- done\n"));
  EXPECT_TRUE(endsWithCompleteStatement("SELECT 1; /* done */"));
  EXPECT_TRUE(endsWithCompleteStatement("INSERT INTO t VALUES('a;b''c');"));
  EXPECT_FALSE(endsWithCompleteStatement(""));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT 1"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT ';"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT 'it''s;"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT \"a;"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT [a;"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT 1 -- ;"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT 1 /* ; */"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT 1 /* ;"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT 2 * 3 /* 2 * 3; */"));
  EXPECT_TRUE(endsWithCompleteStatement("SELECT 2 /* 2 **/ * 3;"));
  EXPECT_TRUE(endsWithCompleteStatement("SELECT 1 - -2, 4 / 2;"));
  EXPECT_FALSE(endsWithCompleteStatement("SELECT 1; SELECT 2"));
  // A trigger's body holds statements of its own; the trigger ends with END and a semicolon.
  EXPECT_FALSE(endsWithCompleteStatement("CREATE TRIGGER r AFTER INSERT ON t BEGIN SELECT 1;"));
  EXPECT_FALSE(endsWithCompleteStatement("create temp trigger r delete on t begin select 1;"));
  EXPECT_TRUE(
      endsWithCompleteStatement("CREATE TRIGGER r AFTER INSERT ON t BEGIN\n"
                                "  SELECT 1;\n  SELECT 2;\nEND;"));
  EXPECT_TRUE(
      endsWithCompleteStatement("CREATE TEMPORARY TRIGGER r DELETE ON t BEGIN SELECT 1; END;"));
  EXPECT_TRUE(endsWithCompleteStatement("CREATE TABLE trigger(a); SELECT 1;"));
}

std::string printed(bool header, const std::vector<std::vector<const char*>>& rows) {
  std::FILE* out = std::tmpfile();
  ShellSettings settings;
  settings.header = header;
  settings.separator = ", ";
  settings.nullValue = "-";
  RowPrinter printer(out, settings);
  const char* names[] = {"a", "b"};
  for (int run = 0; run < 2; ++run) {
    printer.startRun(out);
    for (const auto& row : rows) printer.printRow(2, row.data(), names);
  }
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  return text;
}

TEST(RowPrinterTest, ValuesJoinedNullsReplacedHeaderOncePerRun) {
  EXPECT_EQ(printed(false, {{"1", nullptr}, {"", "x"}}), "1, -\n, x\n1, -\n, x\n");
  EXPECT_EQ(printed(true, {{"1", nullptr}, {"", "x"}}), "a, b\n1, -\n, x\na, b\n1, -\n, x\n");
}

}  // namespace
}  // namespace orvalen::tools
