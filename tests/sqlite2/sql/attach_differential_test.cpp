// Attached databases through both engines: each engine attaches its own copy of the same
// files, runs the same statements, and the attached files must end byte for byte alike.
// Covers ATTACH and DETACH with their errors, names qualified by main, temp and an attached
// database, the order in which unqualified names are found, the read-only schema of an
// attached database, and transactions that write several files.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/reference_engine.h"
#include "support/temp_dir.h"
#include "twin_databases.h"

namespace orvalen::test {
namespace {

// Each engine's files are named after its main file ("ours" or "theirs"); our outcomes are
// compared with the reference's after the names are swapped.
void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

Outcome asTheirs(Outcome outcome) {
  replaceAll(outcome.message, "ours", "theirs");
  for (auto& row : outcome.rows) {
    for (auto& value : row) {
      if (value) replaceAll(*value, "ours", "theirs");
    }
  }
  return outcome;
}

class AttachDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
    twins_->sameForAll({
        "create table t(a, b)",
        "insert into t values(1, 'main')",
        "create index ti on t(a)",
        "create table only_main(m)",
        "insert into only_main values('m')",
    });
    makeSideFile("side", {
                             "create table t(x integer primary key, y unique)",
                             "insert into t values(1, 'one')",
                             "insert into t values(2, 'two')",
                             "create table u(z)",
                             "insert into u values('side u')",
                             "create index ui on u(z)",
                             "create view sv as select z from u",
                             "create table only_main(q)",
                         });
    makeSideFile("other", {
                              "create table u(w)",
                              "insert into u values('other u')",
                              "create table v(k)",
                          });
  }

  // The path of an attached file of one engine: ours.db.side beside ours.db.
  std::string sideFile(const std::string& mainPath, const std::string& name) const {
    return mainPath + "." + name;
  }

  // Written once by the reference library and copied, so both engines start alike.
  void makeSideFile(const std::string& name, const std::vector<std::string>& statements) {
    std::string theirs = sideFile(twins_->theirPath(), name);
    for (const std::string& sql : statements) referenceQuery(theirs, sql);
    writeFile(sideFile(twins_->ourPath(), name), readFile(theirs));
  }

  // Runs sql in both engines, "@name" standing for that engine's attached file.
  Outcome same(const std::string& sql) {
    Outcome expected = twins_->theirs(withFiles(sql, twins_->theirPath()));
    Outcome actual = twins_->ours(withFiles(sql, twins_->ourPath()));
    EXPECT_EQ(asTheirs(actual), expected) << "for: " << sql;
    return actual;
  }
  void sameForAll(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) same(sql);
  }

  std::string withFiles(std::string sql, const std::string& mainPath) const {
    for (size_t at = sql.find('@'); at != std::string::npos; at = sql.find('@', at)) {
      size_t end = sql.find('\'', at);
      std::string name = sql.substr(at + 1, end - at - 1);
      std::string path = sideFile(mainPath, name);
      sql.replace(at, end - at, path);
      at += path.size();
    }
    return sql;
  }

  // The attached file as each engine left it, read by the reference library: the same
  // schema and rows, and a sound file. (Bytes of free space may differ: the reference library
  // leaves stale bytes there.)
  void expectSameSideFile(const std::string& name) {
    std::string ours = sideFile(twins_->ourPath(), name);
    std::string theirs = sideFile(twins_->theirPath(), name);
    EXPECT_EQ(contentOf(ours), contentOf(theirs)) << name;
    EXPECT_EQ(referenceIntegrity(ours), "ok") << name;
  }

  static std::vector<std::string> contentOf(const std::string& path) {
    std::vector<std::string> content =
        referenceQuery(path, "select type, name, tbl_name, rootpage, sql from sqlite_master");
    for (const std::string& table :
         referenceQuery(path, "select name from sqlite_master where type = 'table'")) {
      for (const std::string& row : referenceQuery(path, "select * from " + table)) {
        content.push_back(table + ": " + row);
      }
    }
    return content;
  }
};

TEST_F(AttachDifferential, AttachAndDetachWithTheirErrors) {
  sameForAll({
      "attach '@side' as side",
      "attach database '@other' as \"Other One\"",
      "select * from \"other one\".u",
      "attach '@side' as SIDE",
      "attach '@other' as main",
      "attach '@other' as temp",
      "attach '@other' as side2",
      "select * from side2.u",
      "attach '@side'",
      "attach side.db as x",
      "attach '@side' as x key 'k'",
      "attach '@missing' as missing",
      "attach '' as e",
      "detach main",
      "detach temp",
      "detach nothing",
      "detach",
      "detach database",
      "detach side2 extra",
      "attach '@other' as",
      "detach database side2",
      "detach side2",
      "select * from side2.u",
      "detach \"OTHER ONE\"",
      "attach '@other' as side2",
      "select * from side2.v",
      "attach ':memory:' as mem",
      "select * from mem.sqlite_master",
      "select * from mem.t",
      "attach ':memory:' as mem",
  });
  // Ten attached at most, the same file again and again.
  for (int i = 0; i < 9; ++i) same("attach '@other' as n" + std::to_string(i));
  sameForAll({"attach '@other' as eleventh", "detach n3", "attach '@other' as eleventh"});
  Outcome list = twins_->ours("pragma database_list");
  Outcome reference = twins_->theirs("pragma database_list");
  ASSERT_EQ(list.rows.size(), reference.rows.size());
  for (size_t i = 0; i < list.rows.size(); ++i) {
    if (i == 1) continue;  // the temporary database's file name is random
    EXPECT_EQ(asTheirs(list).rows[i], reference.rows[i]) << i;
  }
  expectSameSideFile("side");
  expectSameSideFile("other");
}

TEST_F(AttachDifferential, FilesThatCannotBeAttached) {
  writeFile(sideFile(twins_->ourPath(), "short"), "not a db");
  writeFile(sideFile(twins_->theirPath(), "short"), "not a db");
  std::string junk(3000, 'j');
  writeFile(sideFile(twins_->ourPath(), "junk"), junk);
  writeFile(sideFile(twins_->theirPath(), "junk"), junk);
  // Another file format: 3 (2.6) and 5 (none yet) in the header's format field.
  for (char format : {'\3', '\5'}) {
    std::string name = std::string("format") + static_cast<char>('0' + format);
    std::string bytes = readFile(sideFile(twins_->ourPath(), "other"));
    bytes[64] = format;
    writeFile(sideFile(twins_->ourPath(), name), bytes);
    writeFile(sideFile(twins_->theirPath(), name), bytes);
  }
  sameForAll({
      "attach '@short' as s",
      "attach '@junk' as j",
      "attach '@format3' as f",
      "attach '@format5' as f",
      "attach '@other' as f",
      "select * from f.u",
      "select * from f.sqlite_master",
  });
}

// Each file's problems come under its name.
TEST_F(AttachDifferential, IntegrityCheckCoversTheAttachedFiles) {
  std::string bytes = readFile(sideFile(twins_->ourPath(), "other"));
  bytes[56] = 5;  // free pages counted in the header that the free list does not hold
  for (const std::string& path : {twins_->ourPath(), twins_->theirPath()}) {
    writeFile(sideFile(path, "damaged"), bytes);
    writeFile(sideFile(path, "damaged2"), bytes);
  }
  sameForAll({
      "attach '@side' as side",
      "pragma integrity_check",
      "attach '@damaged' as damaged",
      "pragma integrity_check",
      "attach '@damaged2' as damaged2",
      "pragma integrity_check",
  });
}

TEST_F(AttachDifferential, QualifiedNamesInEveryStatement) {
  for (const std::string& path : {twins_->ourPath(), twins_->theirPath()}) {
    writeFile(sideFile(path, "rows"), "5\tfive\n6\tone\n7\tseven\n");
  }
  sameForAll({
      "attach '@side' as side",
      "create temp table tt(a, b)",
      "insert into temp.tt values(7, 'temp')",
      "select * from main.t",
      "select main.t.a from main.t",
      "select side.t.y, main.t.b from side.t, main.t",
      "select side.t.* from side.t",
      "select t.x from side.t",
      "select side.u.z from u",
      "select main.t.x from side.t",
      "select nowhere.t.x from side.t",
      "select side.nothing.x from side.t",
      "select q.y from side.t as q where q.x = 2",
      "select side.q.y from side.t as q",
      "select * from side.t, t where side.t.x = t.a",
      "select * from temp.tt",
      "select * from main.tt",
      "select * from side.tt",
      "select * from temp.sqlite_temp_master",
      "select * from main.sqlite_temp_master",
      "select * from temp.sqlite_master",
      "select count(*) from main.sqlite_master",
      "select type, name, tbl_name, rootpage from side.sqlite_master",
      "select * from side.sqlite_temp_master",
      "select * from nowhere.t",
      "select * from side.nothing",
      "select * from side.sv",
      "select * from (select * from side.u) as s",
      "select * from main.t where a in (select x from side.t)",
      "insert into side.t values(3, 'three')",
      "insert into side.t(y) select b from main.t",
      "insert into side.t values(4, 'one')",
      "insert into nowhere.t values(1)",
      "insert into side.nothing values(1)",
      "insert into temp.tt select x, y from side.t",
      "update side.t set y = y || '!' where x > 2",
      "update main.t set b = 'main!'",
      "update side.nothing set a = 1",
      "update temp.tt set b = upper(b)",
      "delete from side.t where x = 1",
      "delete from main.only_main",
      "delete from nowhere.t",
      "delete from side.sv",
      "delete from side.sqlite_master",
      "copy side.t from '@rows'",
      "copy or ignore side.t from '@rows'",
      "copy side.nothing from '@rows'",
      "copy nowhere.t from '@rows'",
      "pragma full_column_names = on",
      "select * from side.t, main.t where side.t.x = main.t.a",
      "select side.t.y from side.t",
      "pragma full_column_names = off",
      "pragma short_column_names = on",
      "select side.t.y, t.x from side.t",
      "pragma short_column_names = off",
      "select * from side.t",
      "select * from main.t",
      "select * from tt",
      "select * from only_main",
      "select * from main.only_main",
      "select * from side.only_main",
      "create index ti2 on main.t(b)",
      "create index tti on temp.tt(b)",
      "create index nope on nowhere.t(a)",
      "select name from sqlite_master where type = 'index'",
      "select name from sqlite_temp_master",
      "drop index main.ti2",
      "drop index temp.tti",
      "drop index main.tti",
      "drop index nowhere.ti",
      "drop index side.nothing",
      "select name from sqlite_master where type = 'index'",
      // What 2.8 does not take: a database for what CREATE, DROP TABLE or PRAGMA names.
      "create table main.x(a)",
      "create temp table temp.x(a)",
      "drop table temp.tt",
      "create view main.v as select 1",
      "drop view main.v",
      "pragma main.table_info(t)",
      "create index temp.i2 on t(a)",
      "select side.t.x.y from side.t",
  });
  expectSameSideFile("side");
}

TEST_F(AttachDifferential, UnqualifiedNamesAndTheReadOnlySchema) {
  sameForAll({
      "attach '@side' as side",
      "attach '@other' as other",
      "select * from u",
      "select * from v",
      "select * from sv",
      "select * from only_main",
      "pragma table_info(u)",
      "pragma index_list(u)",
      "pragma index_info(ui)",
      "pragma table_info(sv)",
      "create temp table u(temp_u)",
      "create table v(a)",
      "create table ui(a)",
      "create index ui on t(a)",
      "create view sv as select 1",
      "create index side_index on side.u(z)",
      "create index side_index on u(w)",
      "create index side_index on side.sv(z)",
      "drop index side.ui",
      "drop index ui",
      "drop index side.(t autoindex 1)",
      "create view mv as select * from side.u",
      "create view mv as select * from main.t, u",
      "create view mv as select * from main.t",
      "select * from mv",
      "detach side",
      "select * from u",
      "insert into u values('which u')",
      "select * from other.u",
      "select * from sv",
      "select * from other.v",
  });
  expectSameSideFile("side");
  expectSameSideFile("other");
}

// A trigger of the file reads and writes the file alone; a temporary one may write anywhere.
TEST_F(AttachDifferential, TriggersAndAttachedDatabases) {
  sameForAll({
      "attach '@side' as side",
      "create table log(x)",
      "create trigger on_side after insert on side.u begin select 1; end",
      "create trigger reads_side after insert on t begin insert into log select z from side.u; end",
      "create trigger reads_temp after insert on t when (select count(*) from temp.x) begin end",
      "create trigger reads_main after insert on t begin insert into log select z from main.u; end",
      "insert into t values(2, 'fires')",
      "drop trigger reads_main",
      "create trigger writes_u after insert on t begin insert into u values(new.a); end",
      "insert into t values(3, 'fires')",
      "drop trigger writes_u",
      "create temp trigger to_side after insert on t begin insert into side.u values(new.b); end",
      "insert into t values(4, 'to side')",
      "select * from side.u",
      "select * from log",
      "begin",
      "insert into t values(5, 'rolled back')",
      "rollback",
      "select * from side.u",
  });
  expectSameSideFile("side");
}

TEST_F(AttachDifferential, TransactionsOverSeveralFiles) {
  sameForAll({
      "attach '@side' as side",
      "begin",
      "insert into t values(2, 'in transaction')",
      "insert into side.u values('in transaction')",
      "rollback",
      "select * from t",
      "select * from side.u",
      "begin",
      "attach '@other' as other",
      "insert into other.v values('attached in transaction')",
      "insert into side.u values('kept')",
      "insert into side.t values(1, 'taken')",
      "insert or fail into side.t values(9, 'nine')",
      "insert into side.t values(10, 'nine')",
      "commit",
      "select * from other.v",
      "select * from side.u",
      "select * from side.t",
      "insert into side.t select x + 100, y || '+' from side.t",
      "update side.t set x = 1 where x = 101",
      "select * from side.t",
      "begin",
      "detach other",
      "commit",
      "select * from other.v",
  });
  expectSameSideFile("side");
  expectSameSideFile("other");
}

// SQLite 2.8 lets a transaction detach a file it wrote: COMMIT then reports success and the
// write is gone. Here the detach is refused until the transaction ends.
TEST_F(AttachDifferential, DetachOfAFileTheTransactionWroteWaitsForItsEnd) {
  sameForAll({"attach '@side' as side", "begin", "insert into side.u values('written')"});
  Outcome refused = twins_->ours("detach side");
  EXPECT_EQ(refused.code, 1);
  EXPECT_EQ(refused.message, "cannot detach database side within the transaction that wrote it");
  EXPECT_EQ(twins_->ours("commit").code, 0);
  EXPECT_EQ(twins_->ours("detach side").code, 0);
  std::vector<std::string> rows =
      referenceQuery(sideFile(twins_->ourPath(), "side"), "select * from u");
  EXPECT_EQ(rows, (std::vector<std::string>{"side u", "written"}));
}

TEST_F(AttachDifferential, DetachUnderATemporaryView) {
  sameForAll({
      "attach '@side' as side",
      "attach '@other' as other",
      "create temp view tv as select z, w from side.u, other.u",
      "select * from tv",
      "detach other",
      "select * from tv",
      "attach '@other' as other",
      "select * from tv",
  });
}

// SQLite 2.8 moves the last attached database into the place of a detached one, and when
// that database has indexes the next statement crashes. Here it moves whole.
TEST_F(AttachDifferential, DetachBeforeALaterDatabaseKeepsThatOneWhole) {
  sameForAll({"attach '@other' as other", "attach '@side' as side"});
  EXPECT_EQ(twins_->ours("detach other").code, 0);
  Outcome list = asTheirs(twins_->ours("pragma database_list"));
  ASSERT_EQ(list.rows.size(), 3u);
  EXPECT_EQ(list.rows[2][1], "side");
  EXPECT_EQ(twins_->ours("select * from sv").rows.size(), 1u);
  Outcome byIndex = twins_->ours("select z from side.u where z = 'side u'");
  EXPECT_EQ(byIndex.rows.size(), 1u) << byIndex;
  EXPECT_EQ(twins_->ours("insert into side.t values(5, 'five')").code, 0);
  EXPECT_EQ(twins_->ours("insert into side.t values(6, 'five')").message, "column y is not unique");
}

// SQLite 2.8 keeps a broken entry for a file it could not open: the entry counts against
// the ten, and the next ATTACH or sqlite_close crashes. Here nothing is left of it.
TEST_F(AttachDifferential, AFileThatCannotBeOpenedLeavesNoTrace) {
  same("attach '/no/such/dir/f.db' as nowhere");
  for (int i = 0; i < 10; ++i) {
    Outcome attached =
        twins_->ours(withFiles("attach '@other' as n" + std::to_string(i), twins_->ourPath()));
    EXPECT_EQ(attached.code, 0) << attached;
  }
  Outcome list = twins_->ours("pragma database_list");
  ASSERT_EQ(list.rows.size(), 12u);
  EXPECT_EQ(list.rows[11][1], "n9");
  EXPECT_EQ(twins_->ours("select * from n9.u").rows.size(), 1u);
}

}  // namespace
}  // namespace orvalen::test
