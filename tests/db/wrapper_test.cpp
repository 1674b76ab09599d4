// The database wrapper against a test double of the C interface: messages, codes, and that
// every text and result array the library hands out is released exactly once.

#include <climits>
#include <string>
#include <utility>

#include "db/database.h"
#include "fake_sqlite.h"

namespace {

using fake::FakeLibraryTest;
using testing::ElementsAre;

// Runs action, which must throw CppSQLiteException, and returns the exception.
template <typename Action>
CppSQLiteException thrownBy(Action action) {
  try {
    action();
  } catch (const CppSQLiteException& error) {
    return error;
  }
  ADD_FAILURE() << "no CppSQLiteException was thrown";
  return CppSQLiteException(0, "nothing thrown", false);
}

std::string messageOf(const CppSQLiteException& error) {
  return error.message() ? error.message() : "<absent>";
}

TEST(CodeName, NamesLibraryCodesTheLayersCodeAndNothingElse) {
  const std::pair<int, const char*> expected[] = {
      {0, "SQLITE_OK"},          {1, "SQLITE_ERROR"},       {5, "SQLITE_BUSY"},
      {14, "SQLITE_CANTOPEN"},   {19, "SQLITE_CONSTRAINT"}, {25, "SQLITE_RANGE"},
      {26, "UNKNOWN_ERROR"},     {99, "UNKNOWN_ERROR"},     {100, "SQLITE_ROW"},
      {101, "SQLITE_DONE"},      {102, "UNKNOWN_ERROR"},    {999, "UNKNOWN_ERROR"},
      {1000, "CPPSQLITE_ERROR"}, {1001, "UNKNOWN_ERROR"},   {-1, "UNKNOWN_ERROR"},
      {INT_MIN, "UNKNOWN_ERROR"}};
  for (const auto& [code, name] : expected) {
    EXPECT_STREQ(CppSQLiteException::codeName(code), name) << "code " << code;
  }
}

TEST_F(FakeLibraryTest, ClosedDatabaseRefusesWithoutCallingTheLibrary) {
  CppSQLiteDB db;
  for (auto action : {+[](CppSQLiteDB& d) { d.runStatement("delete from t;"); },
                      +[](CppSQLiteDB& d) { d.queryTable("select * from t;"); },
                      +[](CppSQLiteDB& d) { d.lastInsertRowId(); }}) {
    CppSQLiteException error = thrownBy([&] { action(db); });
    EXPECT_EQ(error.code(), 1000);
    EXPECT_EQ(messageOf(error), "CPPSQLITE_ERROR[1000]: Database not open");
  }
  EXPECT_TRUE(lib.calls.empty());
}

TEST_F(FakeLibraryTest, OpenPassesThePathAndAppliesTheBusyTimeout) {
  CppSQLiteDB db;
  db.open("/some/where/plugin.vdb");
  EXPECT_THAT(lib.calls, ElementsAre("open /some/where/plugin.vdb mode 0", "busy_timeout 60000"));
}

TEST_F(FakeLibraryTest, FailedOpenRaisesCantOpenReleasesTheTextAndStaysClosed) {
  lib.openSucceeds = false;
  lib.openError = "file is encrypted or is not a database";
  CppSQLiteDB db;
  CppSQLiteException error = thrownBy([&] { db.open("x.vdb"); });
  EXPECT_EQ(error.code(), 14);
  EXPECT_EQ(messageOf(error), "SQLITE_CANTOPEN[14]: file is encrypted or is not a database");
  EXPECT_EQ(lib.liveTexts, 1) << "only the exception's own message is left";
  EXPECT_EQ(fake::callsStartingWith("busy_timeout").size(), 0u);

  EXPECT_EQ(messageOf(thrownBy([&] { db.runStatement("select 1;"); })),
            "CPPSQLITE_ERROR[1000]: Database not open");
}

TEST_F(FakeLibraryTest, LibraryFailureWithoutTextEndsTheMessageInColonBlank) {
  lib.openSucceeds = false;
  CppSQLiteDB db;
  EXPECT_EQ(messageOf(thrownBy([&] { db.open("x.vdb"); })), "SQLITE_CANTOPEN[14]: ");

  lib.openSucceeds = true;
  db.open("x.vdb");
  lib.answers.push_back({SQLITE_BUSY, std::nullopt});
  EXPECT_EQ(messageOf(thrownBy([&] { db.runStatement("delete from t;"); })), "SQLITE_BUSY[5]: ");
}

TEST_F(FakeLibraryTest, SecondOpenKeepsTheOpenConnection) {
  CppSQLiteDB db;
  db.open("a.vdb");
  EXPECT_EQ(messageOf(thrownBy([&] { db.open("b.vdb"); })),
            "CPPSQLITE_ERROR[1000]: Database already open");
  EXPECT_EQ(fake::callsStartingWith("open ").size(), 1u);
  db.runStatement("delete from t;");
  EXPECT_EQ(fake::callsStartingWith("exec ").size(), 1u);
}

TEST_F(FakeLibraryTest, FailedStatementCarriesTheLibrarysCodeAndTextAndLeavesTheConnection) {
  CppSQLiteDB db;
  db.open("x.vdb");
  // A '%' in the library's text must be shown, not read as a format.
  lib.answers.push_back({SQLITE_ERROR, "near \"%s\": syntax error"});
  CppSQLiteException error = thrownBy([&] { db.runStatement("%s;"); });
  EXPECT_EQ(error.code(), 1);
  EXPECT_EQ(messageOf(error), "SQLITE_ERROR[1]: near \"%s\": syntax error");

  lib.answers.push_back({SQLITE_CONSTRAINT, "uniqueness constraint failed"});
  EXPECT_EQ(thrownBy([&] { db.queryTable("select * from t;"); }).code(), 19);

  lib.changes = 3;
  EXPECT_EQ(db.runStatement("delete from t;"), 3);
  EXPECT_EQ(fake::callsStartingWith("exec ").back(), "delete from t;");
}

TEST_F(FakeLibraryTest, CloseTwiceAndDestroyingAClosedConnectionCallNothingMore) {
  {
    CppSQLiteDB db;
    db.open("x.vdb");
    db.close();
    db.close();
  }
  EXPECT_EQ(fake::callsStartingWith("close").size(), 1u);
  { CppSQLiteDB neverOpened; }
  EXPECT_EQ(lib.calls.size(), 3u);
}

class TableTest : public FakeLibraryTest {
 protected:
  // A result of `rows` rows of columns (id, name, url).
  CppSQLiteTable query(int rows) {
    lib.cells = {"id", "name", "url"};
    for (int row = 0; row < rows; ++row) {
      lib.cells.push_back(std::to_string(row + 1));
      lib.cells.push_back(row == 1 ? std::nullopt
                                   : std::optional<std::string>("n" + std::to_string(row)));
      lib.cells.push_back("u" + std::to_string(row));
    }
    lib.rows = rows;
    lib.columns = 3;
    db.open("x.vdb");
    return db.queryTable("select * from t;");
  }

  CppSQLiteDB db;
};

TEST_F(TableTest, RowIndexIsCheckedAgainstTheRowCount) {
  CppSQLiteTable none = query(0);
  EXPECT_EQ(messageOf(thrownBy([&] { none.selectRow(0); })),
            "CPPSQLITE_ERROR[1000]: Invalid row index requested");
  EXPECT_EQ(messageOf(thrownBy([&] { none.fieldText(0); })),
            "CPPSQLITE_ERROR[1000]: Invalid row index requested");
  db.close();

  CppSQLiteTable three = query(3);
  EXPECT_EQ(three.rowCount(), 3);
  EXPECT_EQ(three.columnCount(), 3);
  three.selectRow(2);
  EXPECT_STREQ(three.fieldText(0), "3");
  EXPECT_THROW(three.selectRow(3), CppSQLiteException);
  EXPECT_THROW(three.selectRow(-1), CppSQLiteException);
  EXPECT_STREQ(three.fieldText(0), "3") << "a refused row leaves the selection";
}

TEST_F(TableTest, FieldIndexIsCheckedAgainstTheColumnCount) {
  CppSQLiteTable table = query(2);
  EXPECT_STREQ(table.fieldText(2), "u0");
  for (int column : {3, -1}) {
    EXPECT_EQ(messageOf(thrownBy([&] { table.fieldText(column); })),
              "CPPSQLITE_ERROR[1000]: Invalid field index requested");
    EXPECT_THROW(table.fieldInt(column), CppSQLiteException);
  }
}

TEST_F(TableTest, NullReadsAsAbsentTextAndZero) {
  CppSQLiteTable table = query(2);
  table.selectRow(1);
  EXPECT_EQ(table.fieldText(1), nullptr);
  EXPECT_EQ(table.fieldInt(1), 0);
  EXPECT_EQ(table.fieldInt(0), 2);
}

TEST_F(TableTest, NumbersAreReadAsAtoiReadsThemWithoutOverflowing) {
  lib.cells = {"a", "b", "c", "d", "e", " -17", "42abc", "x", "99999999999", "-99999999999"};
  lib.rows = 1;
  lib.columns = 5;
  db.open("x.vdb");
  CppSQLiteTable table = db.queryTable("select 1;");
  EXPECT_EQ(table.fieldInt(0), -17);
  EXPECT_EQ(table.fieldInt(1), 42);
  EXPECT_EQ(table.fieldInt(2), 0);
  EXPECT_EQ(table.fieldInt(3), INT_MAX);
  EXPECT_EQ(table.fieldInt(4), INT_MIN);
}

TEST_F(TableTest, ReleasedTableRefusesEveryReadAndReleasesOnce) {
  CppSQLiteTable table = query(1);
  table.release();
  table.release();
  for (auto read :
       {+[](CppSQLiteTable& t) { t.rowCount(); }, +[](CppSQLiteTable& t) { t.columnCount(); },
        +[](CppSQLiteTable& t) { t.selectRow(0); }, +[](CppSQLiteTable& t) { t.fieldText(0); },
        +[](CppSQLiteTable& t) { t.fieldInt(0); }}) {
    EXPECT_EQ(messageOf(thrownBy([&] { read(table); })),
              "CPPSQLITE_ERROR[1000]: Null Results pointer");
  }
  EXPECT_EQ(fake::callsStartingWith("free_table").size(), 1u);
}

TEST_F(TableTest, MovingHandsOverTheArraySoItIsReleasedOnce) {
  CppSQLiteTable first = query(2);
  first.selectRow(1);
  CppSQLiteTable second = std::move(first);
  EXPECT_STREQ(second.fieldText(2), "u1") << "the selected row moves along";
  EXPECT_THROW(first.rowCount(), CppSQLiteException);

  CppSQLiteTable third;
  third = std::move(second);
  EXPECT_EQ(third.rowCount(), 2);
  third = CppSQLiteTable();
  EXPECT_EQ(lib.liveTables, 0) << "assigning over a table releases its array";
  EXPECT_EQ(fake::callsStartingWith("free_table").size(), 1u);
}

TEST_F(TableTest, FailedQueryReleasesTheLibrarysText) {
  db.open("x.vdb");
  lib.answers.push_back({SQLITE_ERROR, "no such table: t"});
  EXPECT_EQ(messageOf(thrownBy([&] { db.queryTable("select * from t;"); })),
            "SQLITE_ERROR[1]: no such table: t");
}

TEST_F(FakeLibraryTest, EachFailureTellsItsKind) {
  const std::pair<int, FailureKind> byCode[] = {
      {SQLITE_BUSY, FailureKind::kBusy},         {SQLITE_LOCKED, FailureKind::kBusy},
      {SQLITE_READONLY, FailureKind::kReadOnly}, {SQLITE_PERM, FailureKind::kReadOnly},
      {SQLITE_CANTOPEN, FailureKind::kReadOnly}, {SQLITE_FULL, FailureKind::kDiskFull},
      {SQLITE_CORRUPT, FailureKind::kCorrupt},   {SQLITE_NOTADB, FailureKind::kNotPluginFile},
      {SQLITE_IOERR, FailureKind::kOther},       {SQLITE_ERROR, FailureKind::kOther},
      {CPPSQLITE_ERROR, FailureKind::kOther}};
  CppSQLiteDB db;
  EXPECT_EQ(thrownBy([&] { db.runStatement("select 1;"); }).kind(), FailureKind::kOther)
      << "not open";
  db.open("x.vdb");
  for (const auto& [code, kind] : byCode) {
    lib.answers.push_back({code, "text"});
    EXPECT_EQ(thrownBy([&] { db.runStatement("delete from t;"); }).kind(), kind) << code;
    lib.answers.push_back({code, std::nullopt});
    EXPECT_EQ(thrownBy([&] { db.queryTable("select * from t;"); }).kind(), kind) << code;
  }
  CppSQLiteException own(FailureKind::kMissingTemplate, "no template");
  EXPECT_EQ(own.code(), CPPSQLITE_ERROR);
  EXPECT_EQ(own.kind(), FailureKind::kMissingTemplate);
  EXPECT_EQ(CppSQLiteException(own).kind(), FailureKind::kMissingTemplate);
}

// A failed open has one code; the library's text tells the reason.
TEST_F(FakeLibraryTest, AFailedOpenTakesItsKindFromTheLibrarysText) {
  const std::pair<const char*, FailureKind> byText[] = {
      {"file is encrypted or is not a database", FailureKind::kNotPluginFile},
      {"database disk image is malformed", FailureKind::kCorrupt},
      {"database is locked", FailureKind::kBusy},
      {"unable to open database: /x/y.vdb", FailureKind::kOther},
      {"unable to open database file", FailureKind::kOther}};
  lib.openSucceeds = false;
  for (const auto& [text, kind] : byText) {
    lib.openError = text;
    CppSQLiteDB db;
    CppSQLiteException error = thrownBy([&] { db.open("y.vdb"); });
    EXPECT_EQ(error.code(), SQLITE_CANTOPEN);
    EXPECT_EQ(error.kind(), kind) << text;
  }
  lib.openError.reset();
  CppSQLiteDB db;
  EXPECT_EQ(thrownBy([&] { db.open("y.vdb"); }).kind(), FailureKind::kOther);
}

struct RecordingObserver : CppSQLiteBusyObserver {
  void waitBegins() override { events.push_back("begins"); }
  void waitEnds() override { events.push_back("ends"); }
  std::vector<std::string> events;
};

TEST_F(FakeLibraryTest, TheBusyObserverHearsOfEachWaitOnceAndOfItsEnd) {
  RecordingObserver observer;
  CppSQLiteDB db;
  db.setBusyObserver(&observer);
  db.open("x.vdb");
  EXPECT_THAT(lib.calls, ElementsAre("open x.vdb mode 0", "busy_timeout 60000", "busy_handler"));

  db.runStatement("delete from t;");
  EXPECT_TRUE(observer.events.empty()) << "no lock, no wait";

  lib.answers.push_back({SQLITE_OK, std::nullopt, 3});
  db.runStatement("delete from t;");
  EXPECT_THAT(observer.events, ElementsAre("begins", "ends"));

  observer.events.clear();
  lib.answers.push_back({SQLITE_CONSTRAINT, "constraint failed", 2});
  EXPECT_EQ(thrownBy([&] { db.queryTable("select * from t;"); }).code(), SQLITE_CONSTRAINT);
  EXPECT_THAT(observer.events, ElementsAre("begins", "ends")) << "also when the statement fails";

  db.setBusyObserver(nullptr);
  EXPECT_EQ(fake::callsStartingWith("busy_timeout ").size(), 2u) << "the plain time-out is back";
  lib.answers.push_back({SQLITE_OK, std::nullopt, 1});
  EXPECT_EQ(thrownBy([&] { db.runStatement("delete from t;"); }).kind(), FailureKind::kBusy);
}

// A wait keeps the busy time-out: the handler gives up once it has passed, and the statement
// fails as busy.
TEST_F(FakeLibraryTest, AWaitGivesUpAfterTheBusyTimeout) {
  RecordingObserver observer;
  CppSQLiteDB db(30);
  db.open("x.vdb");
  db.setBusyObserver(&observer);
  lib.answers.push_back({SQLITE_OK, std::nullopt, 1000000});
  CppSQLiteException error = thrownBy([&] { db.runStatement("delete from t;"); });
  EXPECT_EQ(error.kind(), FailureKind::kBusy);
  EXPECT_THAT(observer.events, ElementsAre("begins", "ends"));
}

TEST_F(FakeLibraryTest, CopiedExceptionOwnsItsOwnMessage) {
  {
    CppSQLiteException original(SQLITE_BUSY, "database is locked", false);
    CppSQLiteException copy(original);
    EXPECT_EQ(copy.code(), 5);
    EXPECT_STREQ(copy.message(), original.message());
    EXPECT_NE(copy.message(), original.message());
    CppSQLiteException assigned(1, "other", false);
    assigned = copy;
    EXPECT_STREQ(assigned.message(), "SQLITE_BUSY[5]: database is locked");
    EXPECT_EQ(lib.liveTexts, 3);
  }
  EXPECT_EQ(lib.liveTexts, 0);

  lib.mprintfFails = true;
  CppSQLiteException absent(CPPSQLITE_ERROR, "Database not open", false);
  lib.mprintfFails = false;
  CppSQLiteException copyOfAbsent(absent);
  EXPECT_EQ(absent.message(), nullptr);
  EXPECT_EQ(copyOfAbsent.message(), nullptr);
  EXPECT_EQ(copyOfAbsent.code(), 1000);
}

}  // namespace
