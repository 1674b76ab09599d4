#include <unistd.h>

#include <cstring>

#include <gtest/gtest.h>

#include "pager/pager.h"
#include "pager_test_support.h"
#include "reference_child.h"
#include "sqlite.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::readFile;
using orvalen::test::referenceQuery;
using orvalen::test::TempDir;

constexpr int kCannotOpen = 100;
constexpr int kWrongMessage = 101;

// Runs sql on a fresh reference connection (no busy handler) and returns its result code,
// checking that a busy failure carries the reference's text.
int referenceExec(const sqlite2_reference* ref, const std::string& path, const char* sql,
                  sqlite2_reference_callback callback = nullptr, void* argument = nullptr) {
  char* error = nullptr;
  void* db = ref->open(path.c_str(), 0, &error);
  if (!db) return kCannotOpen;
  int rc = ref->exec(db, sql, callback, argument, &error);
  bool wrongMessage = rc == SQLITE_BUSY && (!error || std::strcmp(error, "database is locked"));
  if (error) ref->freemem(error);
  ref->close(db);
  return wrongMessage ? kWrongMessage : rc;
}

int pauseInsideSelect(void* child, int, char**, char**) {
  static_cast<ReferenceChild*>(child)->reached();
  static_cast<ReferenceChild*>(child)->waitForGo();
  return 0;
}

class ReferenceLockTest : public ::testing::Test {
 protected:
  void createDatabase() {
    referenceQuery(path_, "CREATE TABLE t(a); INSERT INTO t VALUES(1); INSERT INTO t VALUES(2);");
  }
  TempDir dir_;
  std::string path_ = dir_.file("test.db");
};

TEST_F(ReferenceLockTest, AReferenceWriteTransactionMakesUsWaitAndThenFailBusy) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  createDatabase();
  std::string before = readFile(path_);
  ReferenceChild writer([&](ReferenceChild& self) {
    char* error = nullptr;
    void* db = ref->open(path_.c_str(), 0, &error);
    if (!db) return kCannotOpen;
    int rc = ref->exec(db, "BEGIN; INSERT INTO t VALUES(3);", nullptr, nullptr, &error);
    self.reached();
    self.waitForGo();
    ref->exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
    ref->close(db);
    return rc;
  });
  ASSERT_TRUE(writer.waitUntilReached());

  auto pager = openPager(path_);
  std::vector<int> attempts;
  pager->setBusyHandler([&](int attempt) {
    attempts.push_back(attempt);
    usleep(2000);
    return attempt < 10;
  });
  EXPECT_EQ(errorCodeOf([&] { pager->get(1); }), SQLITE_BUSY);
  EXPECT_EQ(attempts.size(), 10u) << "the busy handler was not consulted before giving up";
  attempts.clear();
  EXPECT_EQ(errorCodeOf([&] { pager->beginWrite(); }), SQLITE_BUSY);
  EXPECT_EQ(attempts.size(), 10u);
  EXPECT_TRUE(orvalen::test::fileExists(pager->journalPath())) << "a live journal is not hot";

  writer.go();
  EXPECT_EQ(writer.exitCode(), SQLITE_OK);
  pager->beginWrite();
  pager->commit();
  EXPECT_EQ(readFile(path_), before);
}

TEST_F(ReferenceLockTest, OurLocksMakeTheReferenceBusy) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  createDatabase();
  auto pager = openPager(path_);
  auto inChild = [&](const char* sql) {
    ReferenceChild child([&](ReferenceChild&) { return referenceExec(ref, path_, sql); });
    return child.exitCode();
  };
  {
    PageRef page = pager->get(1);
    EXPECT_EQ(inChild("SELECT * FROM t;"), SQLITE_OK) << "readers share";
    EXPECT_EQ(inChild("INSERT INTO t VALUES(5);"), SQLITE_BUSY);
    pager->beginWrite();
    pager->makeWritable(page);
    EXPECT_EQ(inChild("SELECT * FROM t;"), SQLITE_BUSY);
    pager->rollback();
  }
  EXPECT_EQ(inChild("INSERT INTO t VALUES(6);"), SQLITE_OK);
  EXPECT_EQ(referenceQuery(path_, "SELECT a FROM t;"), (std::vector<std::string>{"1", "2", "6"}));
}

TEST_F(ReferenceLockTest, AReferenceReaderInsideASelectKeepsOurWriterOut) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  createDatabase();
  ReferenceChild reader([&](ReferenceChild& self) {
    return referenceExec(ref, path_, "SELECT * FROM t;", pauseInsideSelect, &self);
  });
  ASSERT_TRUE(reader.waitUntilReached());

  auto pager = openPager(path_);
  EXPECT_EQ(errorCodeOf([&] { pager->beginWrite(); }), SQLITE_BUSY);
  int calls = 0;
  pager->setBusyHandler([&](int) { return ++calls < 5; });
  EXPECT_EQ(errorCodeOf([&] { pager->beginWrite(); }), SQLITE_BUSY);
  EXPECT_EQ(calls, 5);
  EXPECT_FALSE(pager->inWriteTransaction());
  EXPECT_EQ(pager->pageCount(), 3u) << "reading beside the reference's reader works";

  reader.go();  // the first row's callback returns; the second one pauses again
  ASSERT_TRUE(reader.waitUntilReached());
  reader.go();
  EXPECT_EQ(reader.exitCode(), SQLITE_OK);
  pager->beginWrite();
  EXPECT_TRUE(pager->inWriteTransaction());
  pager->rollback();
}

}  // namespace
}  // namespace sqlite2::test
