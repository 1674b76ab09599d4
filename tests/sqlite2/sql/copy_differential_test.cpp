// COPY through both engines: the text format (delimiters, escapes, \N, joined lines, the
// end of the data), conflicts under each OR choice, counts and errors.

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "twin_databases.h"

namespace orvalen::test {
namespace {

class CopyDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
    twins_->sameForAll({
        "create table t(a, b, c)",
        "create table u(a unique, b)",
        "insert into u values(9, 'pre')",
        "create table k(a integer primary key, b)",
    });
  }

  // A data file with these bytes; its path quoted for SQL.
  std::string file(const std::string& name, const std::string& bytes) {
    std::string path = files_.file(name);
    FILE* out = std::fopen(path.c_str(), "wb");
    EXPECT_NE(out, nullptr);
    if (!out) return "''";
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    return "'" + path + "'";
  }

  TempDir files_;
};

TEST_F(CopyDifferential, TextFormat) {
  std::string escapes = file("escapes.tsv",
                             "1\tone\tx\n2\t\\N\ty\n4\tfour\tz\textra\n"
                             "ab\\tc\td\\\\e\tf\\\ng\n\\N\t\\n\t\\x41\n5\t\\\\N\t\\\\\n"
                             "6\t\\\\\\N\tq\\r\n7\t \t\n\\b\t\\f\t\\v\n\\0\t\\101\t\\a\n"
                             "\\.\n8\ta\tb\n");
  std::string blankLine = file("blank.tsv", "1\ta\tb\n\n2\tc\td\n");
  std::string crlf = file("crlf.tsv", "1\tx\ty\r\n2\ty\tz\r\n3\t\\r\t\r\n");
  std::string noFinalBreak = file("last.tsv", "a\tb\tc");
  std::string pipes = file("pipes.txt", "a|b|c\nd||f\n");
  std::string colons = file("colons.txt", "a::b::c\n::::\n");
  twins_->sameForAll({
      "copy t from " + escapes,
      "select rowid, quote(a), quote(b), quote(c) from t",
      "delete from t where 1",
      "copy t from " + blankLine,
      "copy t from " + crlf,
      "copy t from " + noFinalBreak,
      "copy t from " + pipes + " using delimiters '|'",
      "copy t from " + colons + " using delimiters '::'",
      "copy t from " + pipes + " using delimiters ''",
      "select rowid, quote(a), quote(b), quote(c) from t",
      "copy k from " + file("keys.txt", "3|x\n\\N|y\n1|z\n") + " using delimiters '|'",
      "select rowid, * from k",
      "copy k from " + file("badkey.txt", "7|x\nz|y\n") + " using delimiters '|'",
      "select rowid, * from k",
  });
}

// SQLite 2.8 fills the missing fields of a short line that follows a line starting with \N
// with that line's values; here they are NULL.
TEST_F(CopyDifferential, ShortLineAfterALineStartingWithNullGetsNulls) {
  Outcome copied = twins_->ours("copy t from " + file("nullfirst.tsv", "\\N\tx\\ty\t\t\n2\n"));
  EXPECT_EQ(copied.code, 0) << copied;
  Outcome row = twins_->ours("select quote(a), quote(b), quote(c) from t where rowid = 2");
  ASSERT_EQ(row.rows.size(), 1u) << row;
  EXPECT_EQ(row.rows[0], (std::vector<std::optional<std::string>>{"2", "NULL", "NULL"}));
}

TEST_F(CopyDifferential, ConflictsCountsAndErrors) {
  std::string rows = file("rows.txt", "1|a\n2|b\n9|c\n3|d\n");
  twins_->sameForAll({
      "copy u from " + rows + " using delimiters '|'",
      "copy or abort u from " + rows + " using delimiters '|'",
      "copy or fail u from " + rows + " using delimiters '|'",
      "select rowid, * from u",
      "copy or ignore u from " + rows + " using delimiters '|'",
      "select rowid, * from u",
      "copy or replace u from " + rows + " using delimiters '|'",
      "select rowid, * from u",
      "begin",
      "copy or fail u from " + file("more.txt", "10|x\n1|y\n11|z\n") + " using delimiters '|'",
      "commit",
      "select rowid, * from u",
      "pragma count_changes = 1",
      "copy t from " + rows + " using delimiters '|'",
      "pragma count_changes = 0",
      "copy nosuch from " + rows,
      "copy t from " + file("x.txt", ""),
      "copy t from '" + files_.file("missing.txt") + "'",
      "copy sqlite_master from " + rows,
      "create view v as select * from t",
      "copy v from " + rows,
      "copy t from " + rows + " using delimiters x",
      "copy t",
      "select count(*) from t",
  });
}

}  // namespace
}  // namespace orvalen::test
