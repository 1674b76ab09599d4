// The pager when file operations fail: what it reports, that it never hands out a page a
// failed transaction changed, and that the file ends up as it was or as committed.

#include <gtest/gtest.h>

#include "os/fault_injection.h"
#include "pager/pager.h"
#include "pager_test_support.h"
#include "process_probe.h"
#include "sqlite.h"
#include "support/fault_injector.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::FaultInjector;
using orvalen::test::fileExists;
using orvalen::test::otherProcessCanLock;
using orvalen::test::ProbeLock;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

class PagerFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(path_, databaseImage(10, 1)); }

  // Fails the nth operation of the given kinds while the returned hook lives.
  void failAt(long nth, InjectedFault fault, FaultInjector::Persistence persistence,
              orvalen::test::FileOperationSet kinds) {
    faults_.failAt(nth, fault, persistence, kinds);
  }
  std::string journal() const { return path_ + "-journal"; }
  // The pager goes on: a transaction that changes the page commits.
  static void expectAWriteCommits(Pager& pager, PageNumber page, uint32_t version) {
    pager.beginWrite();
    writePattern(pager, page, page, version);
    pager.commit();
    EXPECT_TRUE(pageBytes(pager, page) == pagePattern(page, version));
  }

  TempDir dir_;
  std::string path_ = dir_.file("test.db");
  FaultInjector faults_;
};

TEST_F(PagerFaultTest, AfterAFailedSyncOnlyRollbackIsAllowedAndItRestoresTheFile) {
  auto pager = openPager(path_);
  pager->beginWrite();
  writePattern(*pager, 2, 12, 2);
  PageRef changed = pager->get(5);
  {
    ScopedFaultHook hook(&faults_);
    // The first sync is the journal's, the second the database's after its pages were written.
    failAt(2, InjectedFault::kIoError, FaultInjector::kOnce, {FileOperation::kSync});
    EXPECT_EQ(errorCodeOf([&] { pager->commit(); }), SQLITE_IOERR);
  }
  EXPECT_TRUE(pager->inWriteTransaction());
  EXPECT_TRUE(pager->transactionFailed());
  EXPECT_EQ(errorCodeOf([&] { pager->get(3); }), SQLITE_IOERR);
  EXPECT_EQ(errorCodeOf([&] { changed.mutableData(); }), SQLITE_IOERR);
  EXPECT_EQ(errorCodeOf([&] { pager->beginStatement(); }), SQLITE_IOERR);
  EXPECT_EQ(errorCodeOf([&] { pager->commit(); }), SQLITE_IOERR);
  pager->rollback();
  EXPECT_FALSE(pager->inWriteTransaction());
  EXPECT_TRUE(std::string(reinterpret_cast<const char*>(changed.data()), kPageSize) ==
              pagePattern(5, 1))
      << "a referenced page gets the file's bytes back";
  changed = PageRef();
  EXPECT_TRUE(pageBytes(*pager, 3) == pagePattern(3, 1));
  EXPECT_TRUE(readFile(path_) == databaseImage(10, 1));
  EXPECT_FALSE(fileExists(journal()));
}

// Before the error state, a rollback that failed left the transaction's pages in the cache
// while a page was still referenced, and get() served them: data of a rolled-back change.
TEST_F(PagerFaultTest, AfterAFailedRollbackNoChangedPageIsServedAndTheJournalRestoresTheFile) {
  auto pager = openPager(path_);
  PageRef held = pager->get(1);
  pager->beginWrite();
  writePattern(*pager, 2, 12, 2);
  {
    ScopedFaultHook hook(&faults_);
    // The database's sync fails, and so does every sync after it: the rollback's too.
    failAt(2, InjectedFault::kIoError, FaultInjector::kPersistent, {FileOperation::kSync});
    EXPECT_EQ(errorCodeOf([&] { pager->commit(); }), SQLITE_IOERR);
    EXPECT_EQ(errorCodeOf([&] { pager->rollback(); }), SQLITE_IOERR);
  }
  EXPECT_FALSE(pager->inWriteTransaction());
  EXPECT_TRUE(fileExists(journal())) << "the journal stays for the next reader";
  EXPECT_EQ(errorCodeOf([&] { pager->get(5); }), SQLITE_IOERR);
  EXPECT_EQ(errorCodeOf([&] { pager->beginWrite(); }), SQLITE_IOERR);
  held = PageRef();
  // With no page referenced the pager starts afresh and plays the journal back.
  EXPECT_TRUE(pageBytes(*pager, 5) == pagePattern(5, 1));
  EXPECT_EQ(pager->pageCount(), 10u);
  EXPECT_TRUE(readFile(path_) == databaseImage(10, 1));
  EXPECT_FALSE(fileExists(journal()));
}

// Before: the commit was on disk and the journal deleted, but the failed change of the lock
// back to a shared one made commit() report SQLITE_IOERR.
TEST_F(PagerFaultTest, ALockThatCannotBeChangedAfterTheCommitDoesNotUndoTheCommit) {
  auto pager = openPager(path_);
  pager->beginWrite();
  writePattern(*pager, 2, 4, 2);
  {
    ScopedFaultHook hook(&faults_);
    failAt(1, InjectedFault::kIoError, FaultInjector::kOnce, {FileOperation::kLock});
    EXPECT_EQ(errorCodeOf([&] { pager->commit(); }), SQLITE_OK);
    EXPECT_TRUE(faults_.fired());
  }
  EXPECT_FALSE(fileExists(journal()));
  EXPECT_TRUE(otherProcessCanLock(path_, ProbeLock::kWrite)) << "the lock was given up";
  EXPECT_TRUE(pageBytes(*pager, 3) == pagePattern(3, 2));
  expectAWriteCommits(*pager, 5, 3);
}

// Before: the failed change back to the shared lock replaced SQLITE_CANTOPEN by SQLITE_IOERR
// and left the exclusive lock held with no transaction open.
TEST_F(PagerFaultTest, AJournalThatCannotBeCreatedIsReportedEvenWhenTheLockCannotBeChangedBack) {
  auto pager = openPager(path_);
  PageRef held = pager->get(1);
  {
    ScopedFaultHook hook(&faults_);
    // The exclusive lock is granted; creating the journal and going back to shared fail.
    failAt(2, InjectedFault::kIoError, FaultInjector::kPersistent,
           {FileOperation::kLock, FileOperation::kCreate});
    EXPECT_EQ(errorCodeOf([&] { pager->beginWrite(); }), SQLITE_CANTOPEN);
  }
  EXPECT_FALSE(pager->inWriteTransaction());
  EXPECT_EQ(errorCodeOf([&] { pager->get(2); }), SQLITE_IOERR) << "unsure of its lock";
  held = PageRef();
  EXPECT_TRUE(otherProcessCanLock(path_, ProbeLock::kWrite));
  expectAWriteCommits(*pager, 2, 2);
}

// Before: when the journal's header could not be written for a full disk and the journal
// could not be deleted either, the deletion's SQLITE_IOERR was reported instead of
// SQLITE_FULL.
TEST_F(PagerFaultTest, AFullDiskAtTheJournalHeaderIsReportedAsFull) {
  auto pager = openPager(path_);
  {
    ScopedFaultHook hook(&faults_);
    failAt(1, InjectedFault::kDiskFull, FaultInjector::kPersistent,
           {FileOperation::kWrite, FileOperation::kDelete});
    EXPECT_EQ(errorCodeOf([&] { pager->beginWrite(); }), SQLITE_FULL);
  }
  EXPECT_FALSE(pager->inWriteTransaction());
  EXPECT_TRUE(fileExists(journal())) << "empty, so it restores nothing";
  EXPECT_TRUE(pageBytes(*pager, 2) == pagePattern(2, 1));
  EXPECT_FALSE(fileExists(journal())) << "the next reader deleted it";
  EXPECT_TRUE(readFile(path_) == databaseImage(10, 1));
}

// With a cache of four pages a statement keeps the pages it changes beyond four in a
// temporary file; when that file cannot be made, or a saved page cannot be read back, the
// statement cannot be undone alone, and the transaction's rollback restores everything.
TEST_F(PagerFaultTest, AStatementThatCannotSaveItsPagesOrPutThemBackFailsItsTransaction) {
  for (bool failSaving : {true, false}) {
    SCOPED_TRACE(failSaving ? "saving" : "putting back");
    auto pager = openPager(path_, 4);
    pager->beginWrite();
    writePattern(*pager, 1, 2, 2);
    pager->beginStatement();
    ScopedFaultHook hook(&faults_);
    int code;
    if (failSaving) {
      failAt(1, InjectedFault::kIoError, FaultInjector::kOnce, {FileOperation::kCreate});
      code = errorCodeOf([&] { writePattern(*pager, 3, 10, 3); });
      EXPECT_EQ(code, SQLITE_CANTOPEN);
    } else {
      writePattern(*pager, 3, 10, 3);
      failAt(1, InjectedFault::kIoError, FaultInjector::kOnce, {FileOperation::kRead});
      code = errorCodeOf([&] { pager->rollbackStatement(); });
      EXPECT_EQ(code, SQLITE_IOERR);
    }
    EXPECT_TRUE(faults_.fired());
    EXPECT_TRUE(pager->transactionFailed());
    EXPECT_EQ(errorCodeOf([&] { pager->rollbackStatement(); }), code);
    pager->rollback();
    EXPECT_TRUE(pageBytes(*pager, 1) == pagePattern(1, 1));
    EXPECT_TRUE(pageBytes(*pager, 5) == pagePattern(5, 1));
  }
  EXPECT_TRUE(readFile(path_) == databaseImage(10, 1));
  EXPECT_FALSE(fileExists(journal()));
}

TEST_F(PagerFaultTest, AHotJournalThatCannotBePlayedBackStaysForTheNextTry) {
  {
    auto pager = openPager(path_);
    pager->beginWrite();
    writePattern(*pager, 2, 12, 2);
    ScopedFaultHook hook(&faults_);
    // The database's sync and the rollback's fail: the journal stays, the file half written.
    failAt(2, InjectedFault::kIoError, FaultInjector::kPersistent, {FileOperation::kSync});
    EXPECT_EQ(errorCodeOf([&] { pager->commit(); }), SQLITE_IOERR);
    EXPECT_EQ(errorCodeOf([&] { pager->rollback(); }), SQLITE_IOERR);
  }
  ASSERT_TRUE(fileExists(journal()));
  auto pager = openPager(path_);
  {
    ScopedFaultHook hook(&faults_);
    failAt(1, InjectedFault::kIoError, FaultInjector::kPersistent, {FileOperation::kRead});
    EXPECT_EQ(errorCodeOf([&] { pager->get(2); }), SQLITE_IOERR);
  }
  EXPECT_TRUE(fileExists(journal()));
  EXPECT_TRUE(otherProcessCanLock(path_, ProbeLock::kWrite)) << "no lock kept after the failure";
  EXPECT_TRUE(pageBytes(*pager, 2) == pagePattern(2, 1));
  EXPECT_TRUE(readFile(path_) == databaseImage(10, 1));
  EXPECT_FALSE(fileExists(journal()));
}

}  // namespace
}  // namespace sqlite2::test
