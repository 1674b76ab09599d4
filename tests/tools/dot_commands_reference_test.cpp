// orvalen-sql's dot commands and output modes against sqlite2-ref-shell, the reference
// SQLite 2.8 library behind SQLite 2.8's shell's formats: for the same file and the same
// arguments, the same standard output. The files are made by the reference engine, so that
// they may hold what only it writes (views, triggers).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "process_runner.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace orvalen::test {
namespace {

// A plugin file with GBK and UTF-8 texts, quotes, empty texts, NULLs, an index, the
// automatic index of a UNIQUE column, a view, a trigger and a name that needs quotes.
const char* const kPluginFile =
    "CREATE TABLE tb_type_list (id INTEGER PRIMARY KEY, parentid int, ItemText varchar(255));"
    "CREATE TABLE tb_item_list (id INTEGER PRIMARY KEY, parentid int, ItemText varchar(255), "
    "itemUrl varchar(255) UNIQUE, itemImageUrl varchar(255));"
    "CREATE INDEX item_parent ON tb_item_list(parentid);"
    "INSERT INTO tb_type_list VALUES(1, -1, '\xca\xd3\xc6\xb5');"
    "INSERT INTO tb_type_list VALUES(2, 1, 'it''s ''quoted''');"
    "INSERT INTO tb_type_list VALUES(3, 1, '');"
    "INSERT INTO tb_item_list VALUES(1, 1, '\xb9\xa6\xb7\xf2 <HD> & more', "
    "'http://v.example/1.m3u8', NULL);"
    "INSERT INTO tb_item_list VALUES(2, 2, '\xe8\xa7\x86\xe9\xa2\x91', 'http://v.example/2', "
    "'http://i.example/2.jpg');"
    "INSERT INTO tb_item_list VALUES(3, 2, 'a|b', NULL, '');"
    "CREATE TABLE 'my list'(\"first col\", second);"
    "INSERT INTO 'my list' VALUES('x', -12);"
    "CREATE VIEW item_names AS SELECT ItemText FROM tb_item_list;"
    "CREATE TRIGGER item_gone AFTER DELETE ON tb_item_list BEGIN "
    "DELETE FROM tb_type_list WHERE id = -99; END;";

std::string referenceShellPath() {
  return REFERENCE_SHELL_BINARY;
}

struct CommandCase {
  std::string name;
  std::vector<std::string> args;  // after the file
  std::string setupSql = kPluginFile;
};

class DotCommandReferenceTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(DotCommandReferenceTest, SameOutputAsSqlite28Shell) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const CommandCase& commandCase = GetParam();
  TempDir dir;
  referenceQuery(dir.file("theirs.db"), commandCase.setupSql);
  writeFile(dir.file("ours.db"), readFile(dir.file("theirs.db")));
  std::vector<std::string> ourArgs{"ours.db"};
  std::vector<std::string> theirArgs{"theirs.db"};
  ourArgs.insert(ourArgs.end(), commandCase.args.begin(), commandCase.args.end());
  theirArgs.insert(theirArgs.end(), commandCase.args.begin(), commandCase.args.end());
  const ProcessResult expected = runProcess(referenceShellPath(), theirArgs, dir.path(), "");
  ASSERT_EQ(expected.exitStatus, 0) << expected.err;
  const ProcessResult actual = runProcess(ORVALEN_SQL_BINARY, ourArgs, dir.path(), "");
  EXPECT_EQ(actual.out, expected.out);
  EXPECT_EQ(actual.err, "");
  EXPECT_EQ(actual.exitStatus, 0);
}

// Twelve tables of different name lengths, for .tables' columns.
std::string manyTables() {
  std::string sql;
  for (int i = 0; i < 12; ++i) {
    sql += "CREATE TABLE t" + std::string(static_cast<size_t>(i % 5) * 3, 'x') + std::to_string(i) +
           "(a);";
  }
  return sql;
}

// Triggers of every kind: their texts as written (line breaks too), on tables and a view.
const char* const kTriggerFile =
    "CREATE TABLE t(a, b); CREATE TABLE log(x);"
    "INSERT INTO t VALUES(1, 'one');"
    "CREATE VIEW v AS SELECT a FROM t;"
    "create trigger zz_first before insert on t when new.a > 0\nbegin\n"
    "  insert into log values(new.a);\n  select raise(ignore) where new.b is null;\nend;"
    "CREATE TRIGGER aa_second AFTER UPDATE OF b ON t FOR EACH ROW BEGIN "
    "UPDATE log SET x = new.b WHERE x = old.b; END;"
    "CREATE TRIGGER v_delete INSTEAD OF DELETE ON v BEGIN DELETE FROM t WHERE a = old.a; END;"
    "CREATE TRIGGER log_trim AFTER INSERT ON log BEGIN DELETE FROM log WHERE x < 0; END;";

const CommandCase kCases[] = {
    {"DumpOfTriggers", {".dump"}, kTriggerFile},
    {"DumpOfOneTableWithTriggers", {".dump t"}, kTriggerFile},
    {"SchemaOfTriggers", {".schema"}, kTriggerFile},
    {"SchemaOfATableWithTriggers", {".schema t"}, kTriggerFile},
    {"Dump", {".dump"}},
    {"DumpOneTable", {".dump tb_item_list"}},
    {"DumpPatternsInTurn", {".dump TB_TYPE% my% nosuch"}},
    {"DumpEmptyFile", {".dump"}, "CREATE TABLE e(a); DROP TABLE e;"},
    {"Schema", {".schema"}},
    {"SchemaOfOneTable", {".schema tb_item_list"}},
    {"SchemaOfAPattern", {".schema TB_%"}},
    {"Tables", {".tables"}},
    {"TablesMatching", {".tables item"}},
    {"TablesInColumns", {".tables"}, manyTables()},
    {"TablesOfAWideName",
     {".tables"},
     "CREATE TABLE " + std::string(90, 'w') + "(a);" + manyTables()},
    {"Indices", {".indices tb_item_list"}},
    {"ListWithHeaderSeparatorAndNull",
     {".headers on", ".separator ::", ".nullvalue <null>",
      "SELECT * FROM tb_item_list; "
      "SELECT * FROM tb_type_list"}},
    {"HeaderOncePerArgument", {".headers on", "SELECT id FROM tb_type_list", "SELECT 1"}},
    {"Line", {".mode line", "SELECT * FROM tb_item_list", "SELECT id AS a FROM tb_type_list"}},
    {"ColumnWithHeader", {".mode column", ".headers on", "SELECT * FROM tb_item_list"}},
    {"ColumnWidths",
     {".mode column", ".headers on", ".width 2 0 30", "SELECT * FROM tb_item_list"}},
    {"ColumnWithoutHeader", {".mode column", "SELECT ItemText, id FROM tb_type_list"}},
    {"Html", {".mode html", ".headers on", "SELECT * FROM tb_item_list"}},
    {"Insert", {".mode insert tb_copy", "SELECT * FROM tb_item_list"}},
    {"InsertWithoutATable", {".mode insert", "SELECT * FROM tb_type_list"}},
    {"InsertQuotedTable", {".mode insert my-list", "SELECT * FROM 'my list'"}},
    {"Semi", {".mode semi", "SELECT id, ItemText FROM tb_type_list"}},
    {"NoRowsNoHeader", {".headers on", ".mode column", "SELECT * FROM tb_type_list WHERE 0"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, DotCommandReferenceTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace orvalen::test
