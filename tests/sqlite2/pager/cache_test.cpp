#include <gtest/gtest.h>

#include "pager/pager.h"
#include "pager_test_support.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::fileExists;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

constexpr size_t kSmallCache = 10;
constexpr PageNumber kOriginalPages = 50;
constexpr PageNumber kTransactionPages = 400;

class CacheTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(path_, databaseImage(kOriginalPages, 1)); }

  // Writes version 2 over every page and appends more, checking the bound on the way.
  void writeLargeTransaction(Pager& pager) {
    for (PageNumber page = 1; page <= kTransactionPages; ++page) {
      writePattern(pager, page, page, 2);
      ASSERT_LE(pager.cachedPageCount(), kSmallCache) << "after page " << page;
    }
  }

  TempDir dir_;
  std::string path_ = dir_.file("test.db");
};

TEST_F(CacheTest, ATransactionMuchLargerThanTheCacheStaysWithinItsBound) {
  auto pager = openPager(path_, kSmallCache);
  pager->beginWrite();
  writeLargeTransaction(*pager);
  for (PageNumber page = 1; page <= kTransactionPages; page += 37) {
    EXPECT_EQ(pageBytes(*pager, page), pagePattern(page, 2)) << "page " << page;
  }
  pager->commit();
  EXPECT_FALSE(fileExists(pager->journalPath()));
  EXPECT_EQ(readFile(path_), databaseImage(kTransactionPages, 2));
}

TEST_F(CacheTest, RollingBackASpilledTransactionRestoresTheFileExactly) {
  auto pager = openPager(path_, kSmallCache);
  pager->beginWrite();
  writeLargeTransaction(*pager);
  pager->rollback();
  EXPECT_EQ(readFile(path_), databaseImage(kOriginalPages, 1));
  EXPECT_EQ(pageBytes(*pager, 7), pagePattern(7, 1));
}

TEST_F(CacheTest, ReadingAFileLargerThanTheCacheKeepsTheBound) {
  auto pager = openPager(path_, kSmallCache);
  PageRef first = pager->get(1);  // holds the lock so the cache is not reset in between
  for (PageNumber page = 2; page <= kOriginalPages; ++page) {
    EXPECT_EQ(pageBytes(*pager, page), pagePattern(page, 1));
  }
  EXPECT_LE(pager->cachedPageCount(), kSmallCache);
}

// A child that writes a transaction larger than its cache into the file at arguments[0] and
// dies holding it: no rollback, no cleanup.
int dieInASpilledTransaction(const std::vector<std::string>& arguments) {
  auto pager = openPager(arguments.at(0), kSmallCache);
  pager->beginWrite();
  for (PageNumber page = 1; page <= kTransactionPages; ++page) writePattern(*pager, page, page, 2);
  orvalen::test::dieAbruptly();
}
const bool registered =
    orvalen::test::registerChild("spilled-transaction", dieInASpilledTransaction);

TEST_F(CacheTest, ACrashInTheMiddleOfASpilledTransactionIsRolledBackAtTheNextOpen) {
  orvalen::test::ChildProcess child("spilled-transaction", {path_});
  ASSERT_LT(child.wait(), 0) << "the child was to die abruptly";

  std::string journal = readFile(path_ + "-journal");
  std::string crashed = readFile(path_);
  EXPECT_GT(crashed.size(), kOriginalPages * kPageSize) << "spilled pages reached the file";
  EXPECT_NE(crashed.substr(0, kOriginalPages * kPageSize), databaseImage(kOriginalPages, 1));
  EXPECT_GT(journal.size(), 20u);

  auto pager = openPager(path_, kSmallCache);
  EXPECT_EQ(pager->pageCount(), kOriginalPages);
  EXPECT_EQ(readFile(path_), databaseImage(kOriginalPages, 1));
  EXPECT_FALSE(fileExists(path_ + "-journal"));
}

}  // namespace
}  // namespace sqlite2::test
