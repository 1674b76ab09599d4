#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "pager/pager.h"
#include "pager_test_support.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::fileExists;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

uint32_t bigEndianAt(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

struct ParsedJournal {
  uint32_t recordCount;  // the header's
  uint32_t seed;
  uint32_t originalPageCount;
  std::vector<uint32_t> pages;  // of every complete record in the file
  std::vector<std::string> contents;
  std::vector<uint32_t> checksums;
};

ParsedJournal parseJournal(const std::string& bytes) {
  ParsedJournal journal;
  journal.recordCount = bigEndianAt(bytes, 8);
  journal.seed = bigEndianAt(bytes, 12);
  journal.originalPageCount = bigEndianAt(bytes, 16);
  for (size_t offset = 20; offset + 1032 <= bytes.size(); offset += 1032) {
    journal.pages.push_back(bigEndianAt(bytes, offset));
    journal.contents.push_back(bytes.substr(offset + 4, kPageSize));
    journal.checksums.push_back(bigEndianAt(bytes, offset + 4 + kPageSize));
  }
  return journal;
}

// How many of the original pages the file holds changed, or -1 when one of them is not covered
// by a record the journal's header counts.
int pagesOverwrittenWithoutCountedRecord(const FileView& database, PageNumber originalPages) {
  ParsedJournal journal = parseJournal(readFile(database.path() + "-journal"));
  std::set<uint32_t> counted(
      journal.pages.begin(),
      journal.pages.begin() + std::min<size_t>(journal.recordCount, journal.pages.size()));
  std::string file = database.bytes();
  int changed = 0;
  for (PageNumber page = 1; page <= originalPages; ++page) {
    if (file.substr((page - 1) * kPageSize, kPageSize) == pagePattern(page, 1)) continue;
    if (!counted.count(page)) return -1;
    ++changed;
  }
  return changed;
}

class JournalTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string path_ = dir_.file("test.db");
};

TEST_F(JournalTest, TheJournalIsBesideTheDatabaseUnderItsAbsoluteName) {
  namespace fs = std::filesystem;
  const fs::path previous = fs::current_path();
  fs::current_path(fs::u8path(dir_.path()));
  auto pager = openPager("relative.db");
  EXPECT_EQ(pager->journalPath(), (fs::current_path() / "relative.db-journal").u8string());
  EXPECT_EQ(pager->path(), "relative.db");
  pager->beginWrite();
  EXPECT_TRUE(fileExists(dir_.file("relative.db-journal")));
  pager->rollback();
  fs::current_path(previous);
}

TEST_F(JournalTest, BeginWriteCreatesAHeaderOnlyJournalWithMode0600) {
  ORVALEN_SKIP_UNLESS_OPEN_JOURNALS_ARE_READABLE();
  writeFile(path_, databaseImage(3, 1));
  mode_t previousMask = umask(0);
  auto pager = openPager(path_);
  pager->beginWrite();
  umask(previousMask);
  std::string journal = readFile(pager->journalPath());
  ASSERT_EQ(journal.size(), 20u);
  EXPECT_EQ(journal.substr(0, 8), "\xD9\xD5\x05\xF9\x20\xA1\x63\xD6");
  EXPECT_EQ(bigEndianAt(journal, 8), 0u) << "no records are counted before the first sync";
  EXPECT_EQ(bigEndianAt(journal, 16), 3u);
  struct stat info;
  ASSERT_EQ(stat(pager->journalPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  uint32_t firstSeed = bigEndianAt(journal, 12);
  pager->commit();

  pager->beginWrite();
  EXPECT_NE(bigEndianAt(readFile(pager->journalPath()), 12), firstSeed)
      << "every journal gets a fresh checksum seed";
  pager->rollback();
}

// With a cache far smaller than the transaction, changed pages reach the database before the
// commit. Each of them must be covered by a synced record: one that the header counts.
TEST_F(JournalTest, PagesReachTheFileOnlyAfterTheirRecordsAreCounted) {
  ORVALEN_SKIP_UNLESS_OPEN_JOURNALS_ARE_READABLE();
  writeFile(path_, databaseImage(10, 1));
  FileView database(path_);
  auto pager = openPager(path_, 3);
  pager->beginWrite();
  writePattern(*pager, 1, 14, 2);

  ParsedJournal journal = parseJournal(readFile(pager->journalPath()));
  EXPECT_EQ(journal.originalPageCount, 10u);
  ASSERT_GT(journal.recordCount, 0u) << "pages were spilled, so the header must count records";
  ASSERT_LE(journal.recordCount, journal.pages.size());
  std::set<uint32_t> counted(journal.pages.begin(), journal.pages.begin() + journal.recordCount);
  EXPECT_EQ(counted.size(), journal.recordCount) << "a page is journaled once";
  for (size_t i = 0; i < journal.pages.size(); ++i) {
    uint32_t page = journal.pages[i];
    EXPECT_GE(page, 1u);
    EXPECT_LE(page, 10u) << "pages appended by the transaction are never journaled";
    EXPECT_EQ(journal.contents[i], pagePattern(page, 1)) << "record of page " << page;
    EXPECT_EQ(journal.checksums[i], journal.seed + page);
  }
  EXPECT_GT(pagesOverwrittenWithoutCountedRecord(database, 10), 0)
      << "-1: a page overwritten without a counted record; 0: nothing reached the file";
  pager->commit();
  EXPECT_EQ(readFile(path_), databaseImage(14, 2));
}

// The same rule while pages are changed again and again in a random order: whatever the cache
// writes out, at no moment does the file hold a changed original page whose record the
// journal's header does not count.
TEST_F(JournalTest, NoOriginalPageIsOverwrittenBeforeItsRecordIsCounted) {
  ORVALEN_SKIP_UNLESS_OPEN_JOURNALS_ARE_READABLE();
  writeFile(path_, databaseImage(40, 1));
  FileView database(path_);
  auto pager = openPager(path_, 8);
  pager->beginWrite();
  uint32_t state = 12345;
  int spilledAtSomePoint = 0;
  for (uint32_t step = 0; step < 300; ++step) {
    state = state * 1103515245u + 12345u;
    PageNumber page = 1 + (state >> 16) % 50;  // a fifth of them appended
    writePattern(*pager, page, page, 2 + step);
    int spilled = pagesOverwrittenWithoutCountedRecord(database, 40);
    ASSERT_GE(spilled, 0) << "after step " << step;
    spilledAtSomePoint = std::max(spilledAtSomePoint, spilled);
  }
  EXPECT_GT(spilledAtSomePoint, 0);
  pager->rollback();
  EXPECT_EQ(readFile(path_), databaseImage(40, 1));
}

TEST_F(JournalTest, APageIsJournaledOnceHoweverOftenItIsWrittenOrEvicted) {
  ORVALEN_SKIP_UNLESS_OPEN_JOURNALS_ARE_READABLE();
  writeFile(path_, databaseImage(2, 1));
  auto pager = openPager(path_, 2);
  pager->beginWrite();
  writePattern(*pager, 1, 2, 2);
  writePattern(*pager, 3, 8, 2);  // evicts pages 1 and 2
  writePattern(*pager, 1, 2, 3);
  writePattern(*pager, 9, 15, 3);  // spills again
  ParsedJournal journal = parseJournal(readFile(pager->journalPath()));
  EXPECT_EQ(journal.recordCount, 2u);
  EXPECT_EQ(journal.pages, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(journal.contents[0], pagePattern(1, 1)) << "the record keeps the original bytes";
  pager->rollback();
  EXPECT_EQ(readFile(path_), databaseImage(2, 1));
}

}  // namespace
}  // namespace sqlite2::test
