#include <gtest/gtest.h>

#include "pager/pager.h"
#include "pager_test_support.h"
#include "process_probe.h"
#include "sqlite.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::fileExists;
using orvalen::test::LockHolder;
using orvalen::test::ProbeLock;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

// The situation a writer leaves when it dies: the database had 3 pages (version 1), the writer
// had overwritten them and appended two more (version 2), and its journal holds the originals.
class HotJournalTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(path_, databaseImage(5, 2)); }
  void leaveJournal(const std::string& bytes) { writeFile(journal_, bytes); }
  JournalBuilder checksummed(uint32_t recordCount) {
    return JournalBuilder(JournalBuilder::kChecksummed, 3, recordCount);
  }
  // Opens the file as a new connection would and reads a page, which recovers the journal.
  int openAndRead() {
    auto pager = openPager(path_);
    return errorCodeOf([&] { pager->get(1); });
  }
  std::string originalImage() const { return databaseImage(3, 1); }

  TempDir dir_;
  std::string path_ = dir_.file("test.db");
  std::string journal_ = path_ + "-journal";
};

TEST_F(HotJournalTest, ACompleteJournalRestoresTheOriginalFile) {
  leaveJournal(checksummed(3)
                   .record(1, pagePattern(1, 1))
                   .record(2, pagePattern(2, 1))
                   .record(3, pagePattern(3, 1))
                   .bytes());
  EXPECT_EQ(openAndRead(), SQLITE_OK);
  EXPECT_EQ(readFile(path_), originalImage());
  EXPECT_FALSE(fileExists(journal_));
}

TEST_F(HotJournalTest, AnAllOnesCountMeansEveryRecordInTheFile) {
  leaveJournal(checksummed(0xFFFFFFFF)
                   .record(2, pagePattern(2, 1))
                   .record(3, pagePattern(3, 1))
                   .record(1, pagePattern(1, 1))
                   .bytes());
  EXPECT_EQ(openAndRead(), SQLITE_OK);
  EXPECT_EQ(readFile(path_), originalImage());
}

TEST_F(HotJournalTest, ACountOfZeroOnlyCutsTheFileBack) {
  leaveJournal(checksummed(0).record(1, pagePattern(1, 1)).bytes());
  EXPECT_EQ(openAndRead(), SQLITE_OK);
  EXPECT_EQ(readFile(path_), databaseImage(3, 2));
  EXPECT_FALSE(fileExists(journal_));
}

TEST_F(HotJournalTest, OnlyTheCountedRecordsArePlayed) {
  leaveJournal(checksummed(1).record(1, pagePattern(1, 1)).record(2, pagePattern(2, 1)).bytes());
  EXPECT_EQ(openAndRead(), SQLITE_OK);
  EXPECT_EQ(readFile(path_), pagePattern(1, 1) + databaseImage(3, 2).substr(kPageSize));
}

TEST_F(HotJournalTest, ABadChecksumEndsThePlaybackSilently) {
  leaveJournal(checksummed(3)
                   .record(1, pagePattern(1, 1))
                   .record(2, pagePattern(2, 1), true)
                   .record(3, pagePattern(3, 1))
                   .bytes());
  EXPECT_EQ(openAndRead(), SQLITE_OK);
  EXPECT_EQ(readFile(path_), pagePattern(1, 1) + pagePattern(2, 2) + pagePattern(3, 2));
  EXPECT_FALSE(fileExists(journal_));
}

TEST_F(HotJournalTest, PageZeroEndsThePlaybackAndPagesPastTheOriginalEndAreSkipped) {
  leaveJournal(checksummed(4)
                   .record(5, pagePattern(5, 1))
                   .record(2, pagePattern(2, 1))
                   .record(0, pagePattern(1, 1))
                   .record(3, pagePattern(3, 1))
                   .bytes());
  EXPECT_EQ(openAndRead(), SQLITE_OK);
  EXPECT_EQ(readFile(path_), pagePattern(1, 2) + pagePattern(2, 1) + pagePattern(3, 2));
}

TEST_F(HotJournalTest, AnUnknownMagicIsCorruptionAndTheJournalIsDropped) {
  std::string bytes = checksummed(3).record(1, pagePattern(1, 1)).bytes();
  bytes[7] = '\x01';
  leaveJournal(bytes);
  EXPECT_EQ(openAndRead(), SQLITE_CORRUPT);
  EXPECT_FALSE(fileExists(journal_));
  EXPECT_EQ(readFile(path_), databaseImage(5, 2)) << "the database is left as it is";
  EXPECT_EQ(openAndRead(), SQLITE_OK) << "the next open succeeds";
}

TEST_F(HotJournalTest, AJournalTooShortForItsHeaderIsDeletedUnplayed) {
  for (size_t size : {0, 5, 11, 12, 19}) {
    leaveJournal(checksummed(3).record(1, pagePattern(1, 1)).bytes().substr(0, size));
    EXPECT_EQ(openAndRead(), SQLITE_OK) << size << " bytes";
    EXPECT_FALSE(fileExists(journal_)) << size << " bytes";
    EXPECT_EQ(readFile(path_), databaseImage(5, 2)) << size << " bytes";
  }
}

// The file has 5 pages; a journal may name an original size of at most 5 plus its records.
TEST_F(HotJournalTest, AJournalWhoseHeaderDoesNotFitTheFilesIsCorruptionAndChangesNothing) {
  std::string three = checksummed(3)
                          .record(1, pagePattern(1, 1))
                          .record(2, pagePattern(2, 1))
                          .record(3, pagePattern(3, 1))
                          .bytes();
  JournalBuilder tooLarge(JournalBuilder::kChecksummed, 9, 3);
  tooLarge.record(1, pagePattern(1, 1)).record(2, pagePattern(2, 1)).record(3, pagePattern(3, 1));
  JournalBuilder hugeInOldFormat(JournalBuilder::kBigEndian, 300000000);
  hugeInOldFormat.record(1, pagePattern(1, 1));
  const std::vector<std::pair<const char*, std::string>> damaged = {
      {"cut inside a record", three.substr(0, three.size() - 500)},
      {"a count past the records", checksummed(4).record(1, pagePattern(1, 1)).bytes()},
      {"an original size past the file and the records", tooLarge.bytes()},
      {"an original size of 300,000,000 pages in the old format", hugeInOldFormat.bytes()},
  };
  for (const auto& [what, journal] : damaged) {
    leaveJournal(journal);
    EXPECT_EQ(openAndRead(), SQLITE_CORRUPT) << what;
    EXPECT_EQ(readFile(journal_), journal) << what;
    EXPECT_EQ(readFile(path_), databaseImage(5, 2)) << what;
  }
}

TEST_F(HotJournalTest, OlderFormatsArePlayedBack) {
  for (auto format : {JournalBuilder::kHostOrder, JournalBuilder::kBigEndian}) {
    writeFile(path_, databaseImage(5, 2));
    JournalBuilder journal(format, 3);
    journal.record(3, pagePattern(3, 1)).record(1, pagePattern(1, 1));
    leaveJournal(journal.bytes());
    EXPECT_EQ(openAndRead(), SQLITE_OK) << "format " << format;
    EXPECT_EQ(readFile(path_), pagePattern(1, 1) + pagePattern(2, 2) + pagePattern(3, 1))
        << "format " << format;
    EXPECT_FALSE(fileExists(journal_));
  }
}

TEST_F(HotJournalTest, EveryMoveFromNoLockToSharedLooksForAJournal) {
  auto pager = openPager(path_);
  EXPECT_EQ(pageBytes(*pager, 1), pagePattern(1, 2));
  leaveJournal(checksummed(1).record(1, pagePattern(1, 1)).bytes());
  EXPECT_EQ(pager->pageCount(), 3u);
  EXPECT_FALSE(fileExists(journal_));
  EXPECT_EQ(pageBytes(*pager, 1), pagePattern(1, 1));
}

TEST_F(HotJournalTest, AReadOnlyConnectionCannotRecoverAndIsBusy) {
  leaveJournal(checksummed(1).record(1, pagePattern(1, 1)).bytes());
  auto pager = openPager(path_, 2000, true);
  EXPECT_EQ(errorCodeOf([&] { pager->get(1); }), SQLITE_BUSY);
  EXPECT_TRUE(fileExists(journal_));
  EXPECT_EQ(readFile(path_), databaseImage(5, 2));
}

TEST_F(HotJournalTest, RecoveryWaitsForOtherReadersThroughTheBusyHandler) {
  leaveJournal(checksummed(3)
                   .record(1, pagePattern(1, 1))
                   .record(2, pagePattern(2, 1))
                   .record(3, pagePattern(3, 1))
                   .bytes());
  auto reader = std::make_unique<LockHolder>(path_, ProbeLock::kRead);
  ASSERT_TRUE(reader->holding());
  auto pager = openPager(path_);
  EXPECT_EQ(errorCodeOf([&] { pager->get(1); }), SQLITE_BUSY);
  EXPECT_TRUE(fileExists(journal_));

  std::vector<int> attempts;
  pager->setBusyHandler([&](int attempt) {
    attempts.push_back(attempt);
    if (attempt == 2) reader.reset();
    return true;
  });
  EXPECT_EQ(pageBytes(*pager, 1), pagePattern(1, 1));
  EXPECT_EQ(attempts, (std::vector<int>{1, 2}));
  EXPECT_FALSE(fileExists(journal_));
}

}  // namespace
}  // namespace sqlite2::test
