#include <cstring>

#include <gtest/gtest.h>

#include "pager/pager.h"
#include "pager_test_support.h"
#include "process_probe.h"
#include "sqlite.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::fileExists;
using orvalen::test::otherProcessCanLock;
using orvalen::test::ProbeLock;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

class Flagged : public PageExtension {
 public:
  explicit Flagged(bool* destroyed) : destroyed_(destroyed) {}
  ~Flagged() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

class PagerTransactionTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(path_, databaseImage(3, 1)); }
  TempDir dir_;
  std::string path_ = dir_.file("test.db");
};

TEST_F(PagerTransactionTest, ANewFileIsCreatedEmptyAndReadsAsZeros) {
  std::string path = dir_.file("new.db");
  auto pager = openPager(path);
  EXPECT_TRUE(fileExists(path));
  EXPECT_EQ(readFile(path).size(), 0u);
  EXPECT_EQ(pager->pageCount(), 0u);
  EXPECT_EQ(pageBytes(*pager, 3), std::string(kPageSize, '\0'));
  EXPECT_TRUE(otherProcessCanLock(path, ProbeLock::kWrite)) << "idle pager kept its lock";
}

// Cutting the database short: a rollback brings the pages back, a commit cuts the file.
TEST_F(PagerTransactionTest, TruncateIsUndoneByRollbackAndCutsTheFileAtCommit) {
  writeFile(path_, databaseImage(6, 1));
  {
    auto pager = openPager(path_);
    pager->beginWrite();
    writePattern(*pager, 1, 2, 2);
    pager->truncate(2);
    EXPECT_EQ(pager->pageCount(), 2u);
    EXPECT_EQ(pageBytes(*pager, 5), std::string(kPageSize, '\0'));
    pager->rollback();
    EXPECT_EQ(pager->pageCount(), 6u);
    EXPECT_EQ(pageBytes(*pager, 5), pagePattern(5, 1));
  }
  EXPECT_EQ(readFile(path_), databaseImage(6, 1));
  {
    auto pager = openPager(path_);
    pager->beginWrite();
    writePattern(*pager, 1, 2, 3);
    pager->truncate(2);
    pager->commit();
  }
  EXPECT_EQ(readFile(path_).size(), 2 * kPageSize);
  EXPECT_EQ(pageBytes(*openPager(path_), 2), pagePattern(2, 3));
}

TEST_F(PagerTransactionTest, ATrailingPartialPageIsNotAPage) {
  writeFile(path_, databaseImage(1, 1) + std::string(476, 'x'));
  auto pager = openPager(path_);
  EXPECT_EQ(pager->pageCount(), 1u);
  EXPECT_EQ(pageBytes(*pager, 2), std::string(kPageSize, '\0'));
}

TEST_F(PagerTransactionTest, CommitWritesChangedAndAppendedPages) {
  auto pager = openPager(path_);
  pager->beginWrite();
  EXPECT_TRUE(pager->inWriteTransaction());
  writePattern(*pager, 2, 5, 2);
  EXPECT_EQ(pager->pageCount(), 5u);
  EXPECT_EQ(pageBytes(*pager, 4), pagePattern(4, 2));
  pager->commit();
  EXPECT_FALSE(pager->inWriteTransaction());
  EXPECT_FALSE(fileExists(pager->journalPath()));
  EXPECT_EQ(readFile(path_), pagePattern(1, 1) + databaseImage(5, 2).substr(kPageSize));
  EXPECT_TRUE(otherProcessCanLock(path_, ProbeLock::kWrite));
}

TEST_F(PagerTransactionTest, AWriteBeyondTheEndFillsTheGapWithZeros) {
  auto pager = openPager(path_);
  pager->beginWrite();
  writePattern(*pager, 6, 6, 2);
  pager->commit();
  EXPECT_EQ(readFile(path_),
            databaseImage(3, 1) + std::string(2 * kPageSize, '\0') + pagePattern(6, 2));
}

TEST_F(PagerTransactionTest, RollbackRestoresPagesAndTheOriginalSize) {
  auto pager = openPager(path_);
  pager->beginWrite();
  writePattern(*pager, 2, 5, 2);
  pager->rollback();
  EXPECT_FALSE(fileExists(pager->journalPath()));
  EXPECT_EQ(pager->pageCount(), 3u);
  EXPECT_EQ(pageBytes(*pager, 2), pagePattern(2, 1));
  EXPECT_EQ(pageBytes(*pager, 5), std::string(kPageSize, '\0'));
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

TEST_F(PagerTransactionTest, RollbackRestoresReferencedPagesInPlaceAndDropsTheirExtensions) {
  bool originalExtensionGone = false;  // before the references, which outlive the checks
  bool untouchedExtensionGone = false;
  auto pager = openPager(path_);
  PageRef original = pager->get(2);
  PageRef appended = pager->get(5);
  original.setExtension(std::make_unique<Flagged>(&originalExtensionGone));
  PageRef untouched = pager->get(3);
  untouched.setExtension(std::make_unique<Flagged>(&untouchedExtensionGone));

  pager->beginWrite();
  pager->makeWritable(original);
  std::memset(original.mutableData(), 0xAB, kPageSize);
  pager->makeWritable(appended);
  std::memset(appended.mutableData(), 0xCD, kPageSize);
  pager->rollback();

  EXPECT_TRUE(originalExtensionGone);
  EXPECT_FALSE(untouchedExtensionGone) << "an unchanged page keeps its parsed state";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(original.data()), kPageSize),
            pagePattern(2, 1));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(appended.data()), kPageSize),
            std::string(kPageSize, '\0'));
  EXPECT_FALSE(otherProcessCanLock(path_, ProbeLock::kWrite)) << "references keep the lock";
}

TEST_F(PagerTransactionTest, ChangesMadeOnlyThroughMutableDataAreJournaled) {
  auto pager = openPager(path_);
  pager->beginWrite();
  {
    PageRef page = pager->get(2);
    std::memset(page.mutableData(), 0x11, kPageSize);
  }
  pager->beginStatement();
  {
    PageRef page = pager->get(3);
    std::memset(page.mutableData(), 0x22, kPageSize);
  }
  pager->rollbackStatement();
  EXPECT_EQ(pageBytes(*pager, 3), pagePattern(3, 1));
  EXPECT_EQ(pageBytes(*pager, 2), std::string(kPageSize, '\x11'));
  pager->rollback();
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

TEST_F(PagerTransactionTest, StatementRollbackKeepsTheTransactionsEarlierChanges) {
  auto pager = openPager(path_);
  pager->beginWrite();
  writePattern(*pager, 1, 1, 2);
  pager->beginStatement();
  writePattern(*pager, 1, 1, 3);
  writePattern(*pager, 3, 5, 3);
  EXPECT_EQ(pager->pageCount(), 5u);
  pager->rollbackStatement();
  EXPECT_TRUE(pager->inWriteTransaction());
  EXPECT_EQ(pager->pageCount(), 3u);
  EXPECT_EQ(pageBytes(*pager, 1), pagePattern(1, 2));
  EXPECT_EQ(pageBytes(*pager, 3), pagePattern(3, 1));
  EXPECT_EQ(pageBytes(*pager, 4), std::string(kPageSize, '\0'));
  pager->commit();
  EXPECT_EQ(readFile(path_), pagePattern(1, 2) + databaseImage(3, 1).substr(kPageSize));
}

TEST_F(PagerTransactionTest, CommittedStatementsAreUndoneByTheTransactionsRollback) {
  auto pager = openPager(path_);
  pager->beginWrite();
  pager->beginStatement();
  writePattern(*pager, 2, 4, 2);
  pager->commitStatement();
  pager->beginStatement();
  writePattern(*pager, 3, 3, 3);
  pager->commitStatement();
  EXPECT_EQ(pageBytes(*pager, 3), pagePattern(3, 3));
  pager->rollback();
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

TEST_F(PagerTransactionTest, StatementRollbackAfterSpillingLeavesNoStrayPages) {
  auto pager = openPager(path_, 4);
  pager->beginWrite();
  writePattern(*pager, 2, 2, 2);
  pager->beginStatement();
  writePattern(*pager, 1, 30, 3);  // far more than the cache holds: spilled to the file
  pager->rollbackStatement();
  EXPECT_EQ(pager->pageCount(), 3u);
  EXPECT_EQ(pageBytes(*pager, 10), std::string(kPageSize, '\0'));
  pager->commit();
  EXPECT_EQ(readFile(path_), pagePattern(1, 1) + pagePattern(2, 2) + pagePattern(3, 1));
}

TEST_F(PagerTransactionTest, AStatementChangingMorePagesThanTheCacheHoldsIsUndoneWhole) {
  writeFile(path_, databaseImage(40, 1));
  auto pager = openPager(path_, 4);
  pager->beginWrite();
  writePattern(*pager, 5, 5, 2);
  pager->beginStatement();
  writePattern(*pager, 1, 40, 3);  // the statement saves 40 pages, most outside memory
  pager->rollbackStatement();
  for (PageNumber page = 1; page <= 40; ++page) {
    ASSERT_EQ(pageBytes(*pager, page), pagePattern(page, page == 5 ? 2 : 1)) << "page " << page;
  }
  pager->commit();
  std::string expected = databaseImage(40, 1);
  expected.replace(4 * kPageSize, kPageSize, pagePattern(5, 2));
  EXPECT_EQ(readFile(path_), expected);
}

TEST_F(PagerTransactionTest, CommitWithoutChangesLeavesTheFileAlone) {
  auto pager = openPager(path_);
  pager->beginWrite();
  EXPECT_TRUE(fileExists(pager->journalPath())) << "the journal exists from the start";
  EXPECT_EQ(pageBytes(*pager, 1), pagePattern(1, 1));
  pager->commit();
  EXPECT_FALSE(fileExists(pager->journalPath()));
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

TEST_F(PagerTransactionTest, ClosingWithAnOpenTransactionRollsBack) {
  auto pager = openPager(path_, 4);
  pager->beginWrite();
  writePattern(*pager, 1, 20, 2);
  pager.reset();
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
  EXPECT_FALSE(fileExists(dir_.file("test.db-journal")));
}

TEST_F(PagerTransactionTest, MisuseAndImpossiblePageNumbersAreErrors) {
  auto pager = openPager(path_);
  PageRef page = pager->get(1);
  EXPECT_EQ(errorCodeOf([&] { pager->makeWritable(page); }), SQLITE_MISUSE);
  EXPECT_EQ(errorCodeOf([&] { page.mutableData(); }), SQLITE_MISUSE);
  EXPECT_EQ(errorCodeOf([&] { pager->beginStatement(); }), SQLITE_MISUSE);
  EXPECT_EQ(errorCodeOf([&] { pager->get(0); }), SQLITE_CORRUPT);
  EXPECT_EQ(errorCodeOf([&] { pager->get(1073741824); }), SQLITE_CORRUPT);
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

TEST_F(PagerTransactionTest, EvictionDropsExtensionsAndRereadsThePage) {
  bool destroyed = false;
  auto pager = openPager(path_, 2);
  PageRef keep = pager->get(2);  // the lock and the cache stay while a page is referenced
  pager->get(1).setExtension(std::make_unique<Flagged>(&destroyed));
  EXPECT_FALSE(destroyed);
  pager->get(3);
  EXPECT_TRUE(destroyed) << "page 1 was the one to evict";
  EXPECT_LE(pager->cachedPageCount(), 2u);
  PageRef again = pager->get(1);
  EXPECT_EQ(again.extension(), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(again.data()), kPageSize), pagePattern(1, 1));
}

TEST_F(PagerTransactionTest, ReleasingTheLastReferenceEmptiesTheCache) {
  auto pager = openPager(path_);
  {
    PageRef first = pager->get(1);
    PageRef copy = first;
    pager->get(2);
    // Page 2 follows page 1, so the pages after it may have been read with it.
    const size_t cached = pager->cachedPageCount();
    EXPECT_GE(cached, 2u);
    first = PageRef();
    EXPECT_EQ(pager->cachedPageCount(), cached) << "the copy still holds page 1";
  }
  EXPECT_EQ(pager->cachedPageCount(), 0u);
}

}  // namespace
}  // namespace sqlite2::test
