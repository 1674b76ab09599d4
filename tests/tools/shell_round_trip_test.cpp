// orvalen-sql's .dump and .import with the engines around it: a dump loads into SQLite 2.8.15
// and into SQLite 3 with the same rows and bytes, SQLite 3's dump of that loads back into
// ours, and CSV files load as SQLite 3's shell reads them. Also scripts that mix SQL and
// dot commands.
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "process_runner.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace orvalen::test {
namespace {

constexpr const char* kSqlite3 = "/usr/bin/sqlite3";

// Values that trip up dumps: GBK and UTF-8 bytes, quotes, numbers SQLite 3 would rewrite
// ('007', '1.50', a 20-digit number), blanks, NULL, empty texts; a table whose name needs
// quotes and one named by a keyword.
const std::vector<std::string> kTrickyFile = {
    "CREATE TABLE tb_type_list (id INTEGER PRIMARY KEY, parentid int, ItemText varchar(255));",
    "CREATE TABLE tb_item_list (id INTEGER PRIMARY KEY, parentid int, ItemText varchar(255), "
    "itemUrl varchar(255), itemImageUrl varchar(255));",
    "CREATE INDEX item_parent ON tb_item_list(parentid);",
    "CREATE TABLE 'my list'(a, b);",
    "CREATE TABLE \"order\"(n);",
    "INSERT INTO tb_type_list VALUES(1, -1, '\xca\xd3\xc6\xb5 ''\xb9\xa6\xb7\xf2''');",
    "INSERT INTO tb_type_list VALUES(2, 1, '\xe8\xa7\x86\xe9\xa2\x91');",
    "INSERT INTO tb_item_list VALUES(1, 1, '007', '1.50', NULL);",
    "INSERT INTO tb_item_list VALUES(2, 2, '', ' 5 ', '12345678901234567890');",
    "INSERT INTO tb_item_list VALUES(3, 2, '-0', '+5', '1e5');",
    "INSERT INTO tb_item_list VALUES(4, -7, 'it''s', 'http://v.example/a?b=1&c=''2''', 'x');",
    "INSERT INTO 'my list' VALUES('9223372036854775807', -9223372036854775808);",
    "INSERT INTO \"order\" VALUES('\\');",
};

// SQLite 3 writes a table whose name is quoted as CREATE TABLE IF NOT EXISTS, which SQLite 2.8
// has not; the files that go through SQLite 3 hold the plugin tables alone.
const std::vector<std::string> kPluginTables(kTrickyFile.begin(), kTrickyFile.begin() + 3);
const std::vector<std::string> kPluginRows(kTrickyFile.begin() + 5, kTrickyFile.begin() + 11);

const char* const kTextsWithLineBreaks =
    "INSERT INTO tb_item_list VALUES(5, 1, 'two\nlines', 'cr\r', 'cr lf\r\nend');";

// SQLite 3's shell drops a carriage return at the end of each line it reads, inside string
// literals too, so CR LF within a text does not survive a trip through it.
const char* const kTextsWithLineBreaksForSqlite3 =
    "INSERT INTO tb_item_list VALUES(5, 1, 'two\nlines', 'cr\r', 'lf\n\nend');";

std::vector<std::string> pluginFile(const char* extraRow = nullptr) {
  std::vector<std::string> statements = kPluginTables;
  statements.insert(statements.end(), kPluginRows.begin(), kPluginRows.end());
  if (extraRow) statements.push_back(extraRow);
  return statements;
}

bool haveSqlite3() {
  return access(kSqlite3, X_OK) == 0;
}

ProcessResult ours(const TempDir& dir, std::vector<std::string> args, const std::string& in = "") {
  return runProcess(ORVALEN_SQL_BINARY, args, dir.path(), in);
}

void makeFileWithOurs(const TempDir& dir, const std::string& name,
                      const std::vector<std::string>& statements) {
  std::vector<std::string> args{name};
  args.insert(args.end(), statements.begin(), statements.end());
  const ProcessResult made = ours(dir, args);
  ASSERT_EQ(made.exitStatus, 0) << made.err;
}

// Every row of every table, read by the reference engine, and its integrity check.
std::string contentOf(const std::string& path) {
  std::string text;
  for (const std::string& table :
       referenceQuery(path, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name;")) {
    text += "[" + table + "]\n";
    std::vector<std::string> rows = referenceQuery(path, "SELECT * FROM '" + table + "';");
    std::sort(rows.begin(), rows.end());
    for (const std::string& row : rows) text += row + "\n";
  }
  return text + referenceIntegrity(path);
}

TEST(DumpRoundTripTest, LoadsIntoSqlite28WithTheSameRows) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::vector<std::string> statements = kTrickyFile;
  statements.push_back(kTextsWithLineBreaks);
  makeFileWithOurs(dir, "ours.db", statements);
  const ProcessResult dump = ours(dir, {"ours.db", ".dump"});
  ASSERT_EQ(dump.exitStatus, 0) << dump.err;
  const ProcessResult load = runProcess(referenceShellPath(), {"loaded.db"}, dir.path(), dump.out);
  ASSERT_EQ(load.exitStatus, 0) << load.err;
  EXPECT_EQ(contentOf(dir.file("loaded.db")), contentOf(dir.file("ours.db")));
  EXPECT_EQ(referenceQuery(dir.file("loaded.db"), "SELECT sql FROM sqlite_master ORDER BY name;"),
            referenceQuery(dir.file("ours.db"), "SELECT sql FROM sqlite_master ORDER BY name;"));
  // Dumping the reloaded file gives the same text again.
  EXPECT_EQ(ours(dir, {"loaded.db", ".dump"}).out, dump.out);
}

// A file whose triggers would change its rows if they fired while the dump loads: they come
// after the rows, and then run in SQLite 2.8.15 as they ran here.
TEST(DumpRoundTripTest, TriggersLoadIntoSqlite28AfterTheRowsAndRunThere) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  makeFileWithOurs(
      dir, "ours.db",
      {"CREATE TABLE t(a INTEGER PRIMARY KEY, b);", "CREATE TABLE log(x, y);",
       "CREATE TRIGGER t_log AFTER INSERT ON t BEGIN INSERT INTO log VALUES(new.a, new.b); END;",
       "CREATE TRIGGER log_only BEFORE INSERT ON log\nWHEN new.y = 'skip'\nBEGIN\n"
       "  SELECT RAISE(IGNORE);\nEND;",
       "CREATE VIEW v AS SELECT a, b FROM t;",
       "CREATE TRIGGER v_in INSTEAD OF INSERT ON v BEGIN INSERT INTO t VALUES(new.a, new.b); END;",
       "INSERT INTO t VALUES(1, 'one');", "INSERT INTO v VALUES(2, 'skip');",
       "INSERT INTO t VALUES(3, 'three');"});
  const ProcessResult dump = ours(dir, {"ours.db", ".dump"});
  ASSERT_EQ(dump.exitStatus, 0) << dump.err;
  const ProcessResult load = runProcess(referenceShellPath(), {"loaded.db"}, dir.path(), dump.out);
  ASSERT_EQ(load.exitStatus, 0) << load.err;
  EXPECT_EQ(contentOf(dir.file("loaded.db")), contentOf(dir.file("ours.db")));
  const std::string schema =
      "SELECT type, name, tbl_name, rootpage, sql FROM sqlite_master "
      "WHERE type = 'trigger' ORDER BY name;";
  EXPECT_EQ(referenceQuery(dir.file("loaded.db"), schema),
            referenceQuery(dir.file("ours.db"), schema));
  const std::string more =
      "INSERT INTO v VALUES(4, 'four'); INSERT INTO v VALUES(5, 'skip'); "
      "SELECT * FROM log ORDER BY x;";
  std::string theirs;
  for (const std::string& row : referenceQuery(dir.file("loaded.db"), more)) theirs += row + "\n";
  EXPECT_EQ(theirs, ours(dir, {"ours.db", more}).out);
  EXPECT_EQ(theirs, "1|one\n3|three\n4|four\n");
}

// ours -> .dump -> sqlite3 -> .dump -> ours; sqlite3 writes texts with line breaks as calls
// of replace() and char(), which SQLite 2.8's SQL lacks, unless asked for --newlines.
void throughSqlite3(const std::vector<std::string>& statements, const std::string& dumpCommand) {
  TempDir dir;
  makeFileWithOurs(dir, "ours.db", statements);
  const ProcessResult dump = ours(dir, {"ours.db", ".dump"});
  ASSERT_EQ(dump.exitStatus, 0) << dump.err;
  const ProcessResult intoSqlite3 = runProcess(kSqlite3, {"three.db"}, dir.path(), dump.out);
  ASSERT_EQ(intoSqlite3.exitStatus, 0) << intoSqlite3.err;
  EXPECT_EQ(intoSqlite3.err, "");
  // SQLite 3 holds the same texts: bytes, leading zeros, quotes and all.
  EXPECT_EQ(
      runProcess(kSqlite3, {"three.db", "SELECT * FROM tb_item_list ORDER BY id;"}, dir.path(), "")
          .out,
      ours(dir, {"ours.db", "SELECT * FROM tb_item_list ORDER BY id;"}).out);
  const ProcessResult back = runProcess(kSqlite3, {"three.db", dumpCommand}, dir.path(), "");
  ASSERT_EQ(back.exitStatus, 0) << back.err;
  ASSERT_EQ(back.out.rfind("PRAGMA foreign_keys=OFF;\nBEGIN TRANSACTION;\n", 0), 0u) << back.out;
  const ProcessResult load = ours(dir, {"back.db"}, back.out);
  ASSERT_EQ(load.exitStatus, 0) << load.err;
  EXPECT_EQ(contentOf(dir.file("back.db")), contentOf(dir.file("ours.db")));
}

TEST(DumpRoundTripTest, ThroughSqlite3AndBackWithTheSameRows) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  if (!haveSqlite3()) GTEST_SKIP() << "sqlite3 missing (scripts/setup installs it)";
  throughSqlite3(pluginFile(), ".dump");
}

TEST(DumpRoundTripTest, TextsWithLineBreaksThroughSqlite3DumpedWithNewlines) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  if (!haveSqlite3()) GTEST_SKIP() << "sqlite3 missing (scripts/setup installs it)";
  throughSqlite3(pluginFile(kTextsWithLineBreaksForSqlite3), ".dump --newlines");
}

TEST(DumpTest, OneTableWithItsIndexAndAFailureEndsWithoutCommit) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  makeFileWithOurs(dir, "ours.db", kTrickyFile);
  const ProcessResult one = ours(dir, {"ours.db", ".dump tb_item%"});
  ASSERT_EQ(one.exitStatus, 0) << one.err;
  EXPECT_EQ(one.out.find("tb_type_list"), std::string::npos);
  EXPECT_NE(one.out.find("CREATE INDEX item_parent"), std::string::npos);
  EXPECT_NE(one.out.find("INSERT INTO tb_item_list VALUES(1,1,'007','1.50',NULL);\n"),
            std::string::npos);
  EXPECT_NE(ours(dir, {"ours.db", ".dump"}).out.find("INSERT INTO 'order' VALUES('\\');"),
            std::string::npos)
      << "a keyword names a table only in quotes";
  // A table whose pages are garbage: the dump stops there, without the COMMIT that would
  // make a load of it look whole.
  const std::string root =
      referenceQuery(dir.file("ours.db"), "SELECT rootpage FROM sqlite_master WHERE name='order';")
          .at(0);
  std::string bytes = readFile(dir.file("ours.db"));
  bytes.replace(static_cast<size_t>(std::stoi(root) - 1) * 1024, 1024, 1024, '\xff');
  writeFile(dir.file("bad.db"), bytes);
  const ProcessResult bad = ours(dir, {"bad.db", ".dump"});
  EXPECT_EQ(bad.exitStatus, 1);
  EXPECT_EQ(bad.out.rfind("BEGIN TRANSACTION;\n", 0), 0u) << bad.out;
  EXPECT_NE(bad.out.find("CREATE TABLE \"order\"(n);\n"), std::string::npos) << bad.out;
  EXPECT_EQ(bad.out.find("COMMIT;"), std::string::npos) << bad.out;
  EXPECT_EQ(bad.err, "Error: database disk image is malformed\n");
}

struct Imported {
  ProcessResult run;
  std::vector<std::string> rows;  // read back by the reference engine
};

Imported importCsv(const std::string& csv, const std::vector<std::string>& before,
                   const std::string& query = "SELECT * FROM v;") {
  TempDir dir;
  writeFile(dir.file("in.csv"), csv);
  // Options come before the file, commands and SQL after it.
  std::vector<std::string> args;
  for (const std::string& word : before) {
    if (word[0] == '-') args.push_back(word);
  }
  args.push_back("t.db");
  for (const std::string& word : before) {
    if (word[0] != '-') args.push_back(word);
  }
  args.push_back(".import in.csv v");
  Imported imported{ours(dir, args), {}};
  const std::string file = dir.file("t.db");
  if (fileExists(file) &&
      !referenceQuery(file, "SELECT name FROM sqlite_master WHERE name = 'v';").empty()) {
    imported.rows = referenceQuery(file, query);
  }
  return imported;
}

TEST(ImportTest, NewTableFromAHeaderWithQuotesLineBreaksAndGbk) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const Imported imported = importCsv(
      "\xEF\xBB\xBFname,\"the url\",size\r\n"
      "\"say \"\"hi\"\"\",\"a,b\",1\r\n"
      "\"two\r\nlines\",,007\r\n"
      "\xca\xd3\xc6\xb5,\"\xb9\xa6\xb7\xf2|x\",\r\n"
      ",\"\",\"\"\r\n",
      {".mode csv"});
  EXPECT_EQ(imported.run.exitStatus, 0) << imported.run.err;
  EXPECT_EQ(imported.run.err, "");
  EXPECT_EQ(imported.rows,
            (std::vector<std::string>{"say \"hi\"|a,b|1", "two\r\nlines||007",
                                      "\xca\xd3\xc6\xb5|\xb9\xa6\xb7\xf2|x|", "||"}));
  // Empty fields are empty texts, not NULL.
  TempDir dir;
  EXPECT_EQ(importCsv("a,b\n,x\n", {"-csv"}, "SELECT a IS NULL, length(a) FROM v;").rows,
            (std::vector<std::string>{"0|0"}));
}

TEST(ImportTest, ExistingTableTakesEveryRecordAndReportsShortAndLongOnes) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const Imported imported =
      importCsv("1,2,3\n4\n5,6,7,8\n\"x\"y\",z,w\n", {"CREATE TABLE v(a, b, c);", ".mode csv"});
  EXPECT_EQ(imported.run.exitStatus, 0) << imported.run.err;
  EXPECT_EQ(imported.run.err,
            "in.csv:2: expected 3 columns but found 1 - filling the rest with NULL\n"
            "in.csv:3: expected 3 columns but found 4 - extras ignored\n"
            "in.csv:4: unescaped \" character on line 4\n");
  EXPECT_EQ(imported.rows, (std::vector<std::string>{"1|2|3", "4||", "5|6|7", "x\"y|z|w"}));
}

TEST(ImportTest, SeparatorOfTheModeAndFailures) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  EXPECT_EQ(importCsv("a\tb\n1\t\"2\t3\"\n", {".mode tabs"}).rows,
            (std::vector<std::string>{"1|2\t3"}));
  EXPECT_EQ(importCsv("a|b\n1|2\n", {}).rows, (std::vector<std::string>{"1|2"}));
  const Imported multiByte = importCsv("a\n", {".separator ::"});
  EXPECT_EQ(multiByte.run.exitStatus, 1);
  EXPECT_NE(multiByte.run.err.find("one byte"), std::string::npos);
  // A row the engine refuses is reported with its line; the others stay.
  const Imported refused =
      importCsv("1,a\n1,b\n2,c\n", {"CREATE TABLE v(id INTEGER PRIMARY KEY, t);", "-csv"});
  EXPECT_EQ(refused.run.exitStatus, 1);
  EXPECT_NE(refused.run.err.find("in.csv:2: INSERT failed: "), std::string::npos)
      << refused.run.err;
  EXPECT_EQ(refused.rows, (std::vector<std::string>{"1|a", "2|c"}));
  // A zero byte would cut the text short: the row is refused.
  const Imported zero = importCsv(std::string("a\nx\0y\nz\n", 8), {".mode csv"});
  EXPECT_EQ(zero.run.exitStatus, 1);
  EXPECT_EQ(zero.rows, (std::vector<std::string>{"z"}));
  TempDir dir;
  const ProcessResult missing = ours(dir, {"t.db", ".import nosuch.csv v"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err, "Error: cannot open \"nosuch.csv\"\n");
}

TEST(ImportTest, PluginFileFromSpreadsheetExports) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  writeFile(dir.file("categories.csv"), "1,-1,\xca\xd3\xc6\xb5\r\n2,1,\xb9\xa6\xb7\xf2\r\n");
  writeFile(dir.file("videos.csv"),
            "1,2,\"\xb9\xa6\xb7\xf2, 1\",http://v.example/1.m3u8,http://i.example/1.jpg\r\n"
            "2,2,\"say \"\"2\"\"\",http://v.example/2.m3u8,\r\n");
  std::vector<std::string> args = kPluginTables;
  args.insert(args.begin(), "new.vdb");
  args.insert(args.end(), {".mode csv", ".import categories.csv tb_type_list",
                           ".import videos.csv tb_item_list"});
  const ProcessResult run = ours(dir, args);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  // The editor's own queries find the rows: ids and category ids compare as numbers.
  EXPECT_EQ(
      referenceQuery(dir.file("new.vdb"),
                     "SELECT id, ItemText, itemImageUrl FROM tb_item_list WHERE parentid = 2 "
                     "ORDER BY id;"),
      (std::vector<std::string>{"1|\xb9\xa6\xb7\xf2, 1|http://i.example/1.jpg", "2|say \"2\"|"}));
  EXPECT_EQ(referenceQuery(dir.file("new.vdb"), "SELECT id FROM tb_type_list WHERE parentid = -1;"),
            (std::vector<std::string>{"1"}));
  EXPECT_EQ(referenceIntegrity(dir.file("new.vdb")), "ok");
}

TEST(ScriptTest, CommandsBetweenStatementsOnlyAndErrorsStopTheBatch) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  writeFile(dir.file("more.sql"), "INSERT INTO t VALUES(3, 'from .read');\n.mode line\n");
  const ProcessResult run = ours(dir, {"t.db"},
                                 "CREATE TABLE t(id, name);\n"
                                 "INSERT INTO t VALUES(1, 'first\n"
                                 ".not a command');\n"
                                 "  .headers on\n"
                                 ".read more.sql\n"
                                 "SELECT * FROM t ORDER BY id;\n"
                                 ".output out.txt\n"
                                 ".mode csv\n"
                                 "SELECT name FROM t WHERE id = 3;\n"
                                 ".output stdout\n"
                                 "SELECT nosuch FROM t;\n"
                                 "SELECT 'not reached';\n");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.out, "   id = 1\n name = first\n.not a command\n\n   id = 3\n name = from .read\n");
  EXPECT_EQ(run.err, "SQL error: no such column: nosuch\n");
  EXPECT_EQ(readFile(dir.file("out.txt")), "name\r\nfrom .read\r\n");
  const ProcessResult unknown = ours(dir, {"t.db", ".bogus", "SELECT 1;"});
  EXPECT_EQ(unknown.exitStatus, 1);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(unknown.err,
            "unknown command or invalid arguments:  \"bogus\". Enter \".help\" for help\n");
}

TEST(ScriptTest, ShortenedCommands) {
  TempDir dir;
  const ProcessResult run = ours(dir, {"t.db", "CREATE TABLE t(a);", ".he on", ".mo csv",
                                       "SELECT 1 AS x;", ".s", ".ta", ".e"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, "x\r\n1\r\nCREATE TABLE t(a);\nt\n");
  const ProcessResult tooShort = ours(dir, {"t.db", ".t"});
  EXPECT_EQ(tooShort.exitStatus, 1);
  EXPECT_NE(tooShort.err.find("\"t\""), std::string::npos);
}

// .databases lays the list out as SQLite 2.8's shell does, whatever the mode, and leaves the
// mode as it was; .d stays .dump.
TEST(ScriptTest, DatabasesListsTheFilesInItsOwnLayout) {
  TempDir dir;
  const ProcessResult run = ours(dir, {"t.db", ".mode csv", ".da", "SELECT 1, 2;", ".d"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const auto line = [](const std::string& seq, const std::string& name, const std::string& file) {
    std::string text =
        seq + std::string(5 - seq.size(), ' ') + name + std::string(17 - name.size(), ' ') + file;
    return text + std::string(58 - std::min<size_t>(file.size(), 58), ' ') + "\n";
  };
  const std::string expected = line("seq", "name", "file") +
                               line("---", std::string(15, '-'), std::string(58, '-')) +
                               line("0", "main", dir.file("t.db")) + line("1", "temp", "") +
                               "1,2\r\nBEGIN TRANSACTION;\nCOMMIT;\n";
  EXPECT_EQ(run.out, expected);
}

// An attached file follows main and temp, under the name it was attached as.
TEST(ScriptTest, DatabasesListsTheAttachedFiles) {
  TempDir dir;
  ASSERT_EQ(ours(dir, {"side.db", "CREATE TABLE s(a);"}).exitStatus, 0);
  const ProcessResult run = ours(dir, {"t.db", "ATTACH 'side.db' AS side;", ".databases"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::string side = "2    side             " + dir.file("side.db");
  EXPECT_NE(run.out.find(side), std::string::npos) << run.out;
}

TEST(ScriptTest, AFileThatReadsItselfStops) {
  TempDir dir;
  writeFile(dir.file("loop.sql"), "SELECT 1;\n.read loop.sql\n");
  const ProcessResult run = ours(dir, {"t.db", ".read loop.sql"});
  EXPECT_EQ(run.exitStatus, 1);
  std::string ones;  // one SELECT for each level read
  for (int level = 0; level < 64; ++level) ones += "1\n";
  EXPECT_EQ(run.out, ones);
  EXPECT_EQ(run.err, "Error: .read nested too deeply at \"loop.sql\"\n");
}

TEST(ScriptTest, EchoShowsEachLineBeforeItsRows) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  const ProcessResult run =
      ours(dir, {"-echo", "t.db"}, "SELECT 1;\nSELECT 2;\n.mode csv\nSELECT 3;\n");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, "SELECT 1;\n1\nSELECT 2;\n2\n.mode csv\nSELECT 3;\n3\r\n");
}

}  // namespace
}  // namespace orvalen::test
