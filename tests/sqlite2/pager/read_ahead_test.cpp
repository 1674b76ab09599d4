// Reading ahead on walks: which misses read several pages, and that pages read ahead are the
// file's current bytes, never past its end, and never make room by writing changed pages.

#include <gtest/gtest.h>

#include "pager/pager.h"
#include "pager/read_ahead.h"
#include "pager_test_support.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

// Asks for `number` as a miss and records that what was asked for was read.
size_t miss(ReadAhead& readAhead, PageNumber number) {
  size_t pages = readAhead.pagesFor(number);
  readAhead.noteRead(number, pages);
  return pages;
}

TEST(ReadAhead, AnAscendingRunReadsMoreAtEachMissUpToTheBound) {
  ReadAhead readAhead;
  EXPECT_EQ(miss(readAhead, 100), 1u);
  PageNumber next = 101;
  std::vector<size_t> reads;
  for (int i = 0; i < 6; ++i) {
    size_t pages = miss(readAhead, next);
    reads.push_back(pages);
    next += static_cast<PageNumber>(pages);
  }
  EXPECT_EQ(reads, (std::vector<size_t>{4, 8, 16, 32, 32, 32}));
  // A miss a few pages further on (some met out of order and read alone) still continues.
  EXPECT_EQ(miss(readAhead, next + 2), ReadAhead::kMostPages);
}

TEST(ReadAhead, MissesElsewhereReadOnePageAndLeaveTheRunAlone) {
  ReadAhead readAhead;
  miss(readAhead, 10);
  ASSERT_EQ(miss(readAhead, 11), ReadAhead::kFirstRun);  // pages 11..14
  // Interior pages of a walk, far away and in no order.
  EXPECT_EQ(miss(readAhead, 5000), 1u);
  EXPECT_EQ(miss(readAhead, 3), 1u);
  EXPECT_EQ(miss(readAhead, 13), 1u) << "read ahead already, but dropped from the cache since";
  EXPECT_EQ(miss(readAhead, 15), 2 * ReadAhead::kFirstRun) << "the run goes on";
}

TEST(ReadAhead, LookupsScatteredOverTheFileReadOnePageEach) {
  ReadAhead readAhead;
  size_t most = 0;
  // Page 1 and then a root a few pages on, as every statement starts, is no run.
  for (PageNumber page : {1u, 4u, 500u, 20u, 9000u, 733u, 41u, 1u, 3u, 6000u, 2u, 812u, 77u}) {
    most = std::max(most, miss(readAhead, page));
  }
  EXPECT_EQ(most, 1u);
}

TEST(ReadAhead, ManyMissesElsewhereEndTheRun) {
  ReadAhead readAhead;
  miss(readAhead, 10);
  miss(readAhead, 11);
  for (PageNumber page = 1000; page < 2000; page += 50) miss(readAhead, page);
  // The run would have continued at 15; after so many lone misses it has ended, and page 15
  // starts afresh like any other.
  EXPECT_EQ(miss(readAhead, 15), 1u);
  EXPECT_EQ(miss(readAhead, 16), ReadAhead::kFirstRun);
}

class PagerReadAheadTest : public ::testing::Test {
 protected:
  static constexpr PageNumber kPages = 300;
  void SetUp() override { writeFile(path_, databaseImage(kPages, 1)); }
  TempDir dir_;
  std::string path_ = dir_.file("test.db");
};

TEST_F(PagerReadAheadTest, AWalkReadsEveryPageRightAndKeepsTheBound) {
  constexpr size_t kCache = 40;
  auto pager = openPager(path_, kCache);
  PageRef hold = pager->get(1);  // keeps the lock, and so the cache, between the reads
  for (PageNumber page = 2; page <= kPages + 3; ++page) {
    std::string expected = page <= kPages ? pagePattern(page, 1) : std::string(kPageSize, '\0');
    ASSERT_EQ(pageBytes(*pager, page), expected) << "page " << page;
    ASSERT_LE(pager->cachedPageCount(), kCache);
  }
  EXPECT_EQ(pager->pageCount(), kPages) << "pages past the end were not made part of the file";
}

TEST_F(PagerReadAheadTest, ItReadsWhatTheFileHoldsAfterAnotherWriterChangedIt) {
  auto pager = openPager(path_);
  for (PageNumber page = 1; page <= 60; ++page)
    ASSERT_EQ(pageBytes(*pager, page), pagePattern(page, 1));
  // Between two reads no lock is held; another process may rewrite the file meanwhile.
  writeFile(path_, databaseImage(kPages - 100, 2));
  PageRef hold = pager->get(1);
  for (PageNumber page = 2; page <= 60; ++page) {
    ASSERT_EQ(pageBytes(*pager, page), pagePattern(page, 2)) << "page " << page;
  }
  EXPECT_EQ(pager->pageCount(), kPages - 100);
}

TEST_F(PagerReadAheadTest, ChangedPagesAreNeitherReadOverNorWrittenOutToMakeRoom) {
  constexpr size_t kCache = 12;
  FileView view(path_);
  auto pager = openPager(path_, kCache);
  pager->beginWrite();
  // Changed pages fill all but two places of the cache; nothing needs to reach the file yet.
  writePattern(*pager, 100, 100 + kCache - 3, 2);
  const std::string before = view.bytes();
  for (PageNumber page = 1; page <= 99; ++page) {
    ASSERT_EQ(pageBytes(*pager, page), pagePattern(page, 1)) << "page " << page;
  }
  EXPECT_EQ(view.bytes(), before) << "reading wrote changed pages to the file";
  // Changed pages in the middle of a walk keep their new bytes.
  for (PageNumber page = 95; page <= 120; ++page) {
    uint32_t version = page >= 100 && page <= 100 + kCache - 3 ? 2 : 1;
    ASSERT_EQ(pageBytes(*pager, page), pagePattern(page, version)) << "page " << page;
  }
  pager->commit();
  EXPECT_EQ(readFile(path_).substr(100 * kPageSize - kPageSize, kPageSize), pagePattern(100, 2));
}

TEST_F(PagerReadAheadTest, PagesSpilledByATransactionAreReadBackAsChanged) {
  constexpr size_t kCache = 10;
  auto pager = openPager(path_, kCache);
  pager->beginWrite();
  writePattern(*pager, 1, 200, 2);  // far more than the cache: most go to the file early
  for (PageNumber page = 1; page <= kPages; ++page) {
    ASSERT_EQ(pageBytes(*pager, page), pagePattern(page, page <= 200 ? 2 : 1)) << "page " << page;
  }
  pager->rollback();
  EXPECT_EQ(readFile(path_), databaseImage(kPages, 1));
}

}  // namespace
}  // namespace sqlite2::test
