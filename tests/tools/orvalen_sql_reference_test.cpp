// orvalen-sql against the reference shell sqlite2-ref: for the same arguments, standard input
// and file, the same standard output, standard error and exit status, and files that read
// back the same.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "process_runner.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace orvalen::test {
namespace {

struct ShellCase {
  std::string name;
  std::string setupSql;  // run on the file by the reference engine first; empty: no file
  std::vector<std::string> args;
  std::string input;
};

// The reference engine's own reading of a file, for comparing what each shell left behind.
std::string fileContent(const std::string& path) {
  if (!fileExists(path)) return "<no file>";
  std::string text;
  for (const std::string& row : referenceQuery(path, "SELECT * FROM sqlite_master;"))
    text += row + "\n";
  for (const std::string& row :
       referenceQuery(path, "SELECT name FROM sqlite_master WHERE type='table';")) {
    for (const std::string& value : referenceQuery(path, "SELECT rowid, * FROM " + row + ";")) {
      text += row + ": " + value + "\n";
    }
  }
  return text + referenceIntegrity(path);
}

class OrvalenSqlReferenceTest : public ::testing::TestWithParam<ShellCase> {};

TEST_P(OrvalenSqlReferenceTest, SameOutputAsTheReferenceShell) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string referenceShell = referenceShellPath();
  if (!fileExists(referenceShell)) GTEST_SKIP() << "reference shell missing: " << referenceShell;
  const ShellCase& shellCase = GetParam();
  TempDir ours;
  TempDir theirs;
  if (!shellCase.setupSql.empty()) {
    referenceQuery(theirs.file("t.db"), shellCase.setupSql);
    writeFile(ours.file("t.db"), readFile(theirs.file("t.db")));
  }
  const ProcessResult expected =
      runProcess(referenceShell, shellCase.args, theirs.path(), shellCase.input);
  // Standard input from a file, then the same through a pipe, which is run as it arrives.
  const bool given = fileExists(ours.file("t.db"));
  const std::string original = given ? readFile(ours.file("t.db")) : "";
  for (Feed feed : {Feed::kFile, Feed::kPipe}) {
    SCOPED_TRACE(feed == Feed::kFile ? "standard input from a file" : "through a pipe");
    if (given) {
      writeFile(ours.file("t.db"), original);
    } else {
      std::remove(ours.file("t.db").c_str());
    }
    const ProcessResult actual =
        runProcess(ORVALEN_SQL_BINARY, shellCase.args, ours.path(), shellCase.input, feed);
    EXPECT_EQ(actual.out, expected.out);
    EXPECT_EQ(actual.err, expected.err);
    EXPECT_EQ(actual.exitStatus, expected.exitStatus);
    EXPECT_EQ(fileContent(ours.file("t.db")), fileContent(theirs.file("t.db")));
  }
}

const char* const kSampleTable =
    "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, size);"
    "INSERT INTO t VALUES(1, 'one', 10);"
    "INSERT INTO t VALUES(2, NULL, -2.5);"
    "INSERT INTO t VALUES(3, 'it''s | three', NULL);"
    "INSERT INTO t VALUES(4, '', 0);";

// Long enough to reach the shell through a pipe in many reads, which end inside strings,
// comments and a trigger; with `commands`, a command line and a query every 400 rows.
std::string longScript(bool commands) {
  std::string text =
      "BEGIN;\nCREATE TABLE log(id, what);\nCREATE TRIGGER logged AFTER INSERT ON t BEGIN\n"
      "  INSERT INTO log VALUES(new.id, 'in;');\nEND;\n";
  for (int id = 100; id < 1400; ++id) {
    const std::string number = std::to_string(id);
    text += "INSERT INTO t VALUES(" + number + ", 'a;\n-- ''b''', 2 * 3 /* ; \n*/);\n";
    if (commands && id % 400 == 0) {
      text += ".nullvalue <" + number + ">\nSELECT NULL, count(*) FROM log;\n";
    }
  }
  return text + "COMMIT;\nSELECT count(*), sum(id), max(name) FROM t;\n";
}

const ShellCase kCases[] = {
    {"RowsOfOneStatement", kSampleTable, {"t.db", "SELECT * FROM t;"}, ""},
    {"Header", kSampleTable, {"-header", "t.db", "SELECT name, id FROM t ORDER BY id DESC;"}, ""},
    {"HeaderOncePerArgument",
     kSampleTable,
     {"-header", "t.db", "SELECT id FROM t; SELECT name FROM t;",
      "SELECT size FROM t WHERE id = 2;"},
     ""},
    {"NoHeaderWithoutRows",
     kSampleTable,
     {"-header", "t.db", "SELECT * FROM t WHERE id = 99;"},
     ""},
    {"NullValueAndSeparator",
     kSampleTable,
     {"-nullvalue", "<null>", "-separator", ", ", "t.db", "SELECT * FROM t;"},
     ""},
    {"EmptySeparator", kSampleTable, {"-separator", "", "t.db", "SELECT * FROM t;"}, ""},
    {"StatementsInTurn",
     kSampleTable,
     {"t.db", "INSERT INTO t(name) VALUES('five');", "SELECT id, name FROM t WHERE id > 3;"},
     ""},
    {"ErrorStopsTheArguments",
     kSampleTable,
     {"t.db", "SELECT id FROM t WHERE id = 1;", "SELECT nosuch FROM t;",
      "INSERT INTO t VALUES(9, 9, 9);"},
     ""},
    {"ErrorAfterRowsOfTheSameArgument", kSampleTable, {"t.db", "SELECT id FROM t; SELEC 1;"}, ""},
    {"ConstraintError", kSampleTable, {"t.db", "INSERT INTO t VALUES(1, 'again', 0);"}, ""},
    {"StandardInput",
     kSampleTable,
     {"t.db"},
     "SELECT count(*) FROM t;\nINSERT INTO t VALUES(7, 'seven', 7);\nSELECT * FROM t WHERE id = "
     "7;\n"},
    {"StandardInputWithHeader",
     kSampleTable,
     {"-header", "t.db"},
     "SELECT * FROM t; SELECT id FROM t;"},
    {"StandardInputError",
     kSampleTable,
     {"t.db"},
     "INSERT INTO t VALUES(8, 'eight', 8);\nSELECT * FROM nosuch;\nINSERT INTO t VALUES(9, 'nine', "
     "9);\n"},
    {"EmptyStandardInput", kSampleTable, {"t.db"}, ""},
    {"StandardInputTrigger",
     kSampleTable,
     {"t.db"},
     "CREATE TABLE log(id, what);\nCREATE TRIGGER logged AFTER INSERT ON t BEGIN\n"
     "  INSERT INTO log VALUES(new.id, 'in');\n  INSERT INTO log VALUES(new.id, 'again');\nEND;\n"
     "INSERT INTO t VALUES(30, 'thirty', 30);\nSELECT * FROM log;\nSELECT nosuch;\n"
     "SELECT 'not run';\n"},
    {"LongStandardInput", kSampleTable, {"t.db"}, longScript(false)},
    {"NewFileIsCreated",
     "",
     {"t.db", "CREATE TABLE n(a); INSERT INTO n VALUES('x'); SELECT * FROM n;"},
     ""},
    {"NewFileLeftEmpty", "", {"t.db", "SELECT * FROM sqlite_master;"}, ""},
    {"MissingDirectory", "", {"missing/dir/t.db", "SELECT 1;"}, ""},
    {"NotADatabase", "", {"/proc/self/exe", "SELECT * FROM sqlite_master;"}, ""},
    {"UnknownOption", "", {"-bogus", "t.db", "SELECT 1;"}, ""},
    {"OptionWithoutItsValue", "", {"-separator"}, ""},
    {"Version", "", {"-version"}, ""},
    {"GbkAndUtf8Texts",
     kSampleTable,
     {"t.db", "INSERT INTO t VALUES(20, '\xca\xd3\xc6\xb5', '\xe8\xa7\x86\xe9\xa2\x91');",
      "SELECT * FROM t WHERE id = 20;"},
     ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, OrvalenSqlReferenceTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ShellCase>& info) {
                           return info.param.name;
                         });

TEST(OrvalenSqlPipeTest, CommandLinesAmongManyReads) {
  TempDir dir;
  runProcess(ORVALEN_SQL_BINARY, {"t.db", kSampleTable}, dir.path(), "");
  const ProcessResult result =
      runProcess(ORVALEN_SQL_BINARY, {"t.db"}, dir.path(), longScript(true), Feed::kPipe);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "<400>|301\n<800>|701\n<1200>|1101\n1304|974360|one\n");
}

TEST(OrvalenSqlUsageTest, MissingFileArgumentPrintsUsage) {
  TempDir dir;
  const ProcessResult result = runProcess(ORVALEN_SQL_BINARY, {"-header"}, dir.path(), "");
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "usage: orvalen-sql [-header] [-nullvalue TEXT] [-separator SEP] "
            "[-list|-line|-column|-html|-csv] [-echo] FILE [SQL ...]\n");
}

}  // namespace
}  // namespace orvalen::test
