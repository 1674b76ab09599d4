#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <optional>
#include <random>

#include <gtest/gtest.h>

#include "pager/journal_format.h"
#include "pager/pager.h"
#include "pager_test_support.h"
#include "reference_child.h"
#include "sqlite.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::fileExists;
using orvalen::test::readFile;
using orvalen::test::referenceIntegrity;
using orvalen::test::referenceQuery;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

// A transaction that changes most existing pages, appends many and frees some, with a cache
// so small that the reference writes pages into the file long before its commit.
constexpr const char* kLargeTransaction =
    "PRAGMA cache_size = 10;"
    "BEGIN;"
    "UPDATE t SET b = b || ' and more';"
    "INSERT INTO t SELECT a + 100000, b FROM t;"
    "DELETE FROM t WHERE a % 3 = 0;"
    "COMMIT;";

int runLargeTransaction(const sqlite2_reference* ref, const std::string& path) {
  char* error = nullptr;
  void* db = ref->open(path.c_str(), 0, &error);
  if (!db) return 100;
  int rc = ref->exec(db, kLargeTransaction, nullptr, nullptr, &error);
  if (error) ref->freemem(error);
  ref->close(db);
  return rc;
}

void createDatabase(const std::string& path) {
  std::string sql = "CREATE TABLE t(a INTEGER, b TEXT); CREATE INDEX tb ON t(b); BEGIN;";
  for (int row = 1; row <= 1500; ++row) {
    sql += "INSERT INTO t VALUES(" + std::to_string(row) + ", 'row " + std::to_string(row) +
           " with some text to fill the pages of the table and of its index');";
  }
  referenceQuery(path, sql + "COMMIT;");
}

// A trial here waits for a whole large transaction of the reference engine, far longer than a
// trial of the other crash tests, so a soak run makes a quarter of the kills it asks for.
int trialCount() {
  std::optional<int> soak = soakTrials();
  return soak ? *soak / 4 + 1 : 50;
}

void waitForChange(const std::string& path, const struct stat& original,
                   std::chrono::microseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  struct stat now;
  while (std::chrono::steady_clock::now() < end) {
    if (stat(path.c_str(), &now) == 0 &&
        (now.st_size != original.st_size || now.st_mtim.tv_sec != original.st_mtim.tv_sec ||
         now.st_mtim.tv_nsec != original.st_mtim.tv_nsec)) {
      return;
    }
    usleep(100);
  }
}

// The first offset where the two differ, for a readable failure.
std::string firstDifference(const std::string& actual, const std::string& expected) {
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
         ", first difference at byte " + std::to_string(at);
}

TEST(ReferenceHotJournalTest, AJournalOfAKilledReferenceWriterIsRolledBackExactly) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("test.db");
  std::string journal = path + "-journal";
  createDatabase(path);
  const std::string before = readFile(path);

  std::string scratch = dir.file("scratch.db");
  writeFile(scratch, before);
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(runLargeTransaction(ref, scratch), SQLITE_OK);
  auto duration = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  const std::vector<std::string> countAfter = referenceQuery(scratch, "SELECT count(*) FROM t;");

  unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> delay(0, duration.count());
  std::uniform_int_distribution<long> afterFirstWrite(0, 3000);
  int trials = trialCount();
  int hot = 0;
  int changedBeforeRecovery = 0;  // kills after the reference had written into the database
  for (int trial = 0; trial < trials; ++trial) {
    writeFile(path, before);
    struct stat original;
    ASSERT_EQ(stat(path.c_str(), &original), 0);
    ReferenceChild writer([&](ReferenceChild&) { return runLargeTransaction(ref, path); });
    // The reference journals most pages before it writes any into the database, so every
    // other kill waits for its first database write and comes a little after it.
    if (trial % 2 == 0) {
      usleep(static_cast<useconds_t>(delay(random)));
    } else {
      waitForChange(path, original, 3 * duration);
      usleep(static_cast<useconds_t>(afterFirstWrite(random)));
    }
    writer.kill();
    if (fileExists(journal)) {
      ++hot;
      changedBeforeRecovery += readFile(path) != before;
      {
        auto pager = openPager(path);
        pager->get(1);
      }
      ASSERT_FALSE(fileExists(journal));
      std::string after = readFile(path);
      ASSERT_TRUE(after == before)
          << "trial " << trial << ", seed " << seed << ": " << firstDifference(after, before);
    } else {
      std::vector<std::string> count = referenceQuery(path, "SELECT count(*) FROM t;");
      ASSERT_TRUE(count == countAfter || readFile(path) == before) << "trial " << trial;
    }
    ASSERT_EQ(referenceIntegrity(path), "ok") << "trial " << trial << ", seed " << seed;
  }
  std::cout << trials << " kills of the reference, " << hot << " left a hot journal, "
            << changedBeforeRecovery << " of them after database writes; transaction "
            << duration.count() << " us, seed " << seed << "\n";
  EXPECT_GT(hot, trials / 4) << "too few kills hit the transaction";
  EXPECT_GT(changedBeforeRecovery, trials / 8) << "too few kills came after the reference wrote";
}

// ---- Damaged hot journals, side by side with the reference ----

struct HotPair {
  std::string database;
  std::string journal;
};

uint32_t journalWord(const std::string& journal, size_t offset) {
  return readBigEndian32(reinterpret_cast<const uint8_t*>(journal.data()) + offset);
}
void setJournalWord(std::string& journal, size_t offset, uint32_t value) {
  writeBigEndian32(reinterpret_cast<uint8_t*>(&journal[0]) + offset, value);
}
uint32_t countedRecords(const std::string& journal) {
  return journalWord(journal, kJournalRecordCountOffset);
}
size_t endOfRecord(uint32_t record) {
  return kJournalHeaderSize + record * kJournalRecordSize;
}

// The pair the reference leaves when killed while its commit writes the database: by then
// the journal's count is on disk. A kill may come too late, after the commit; the next try
// then starts again from the same file.
HotPair hotPairOfTheReference(const sqlite2_reference* ref, const std::string& path) {
  createDatabase(path);
  const std::string before = readFile(path);
  for (int attempt = 0; attempt < 50; ++attempt) {
    writeFile(path, before);
    struct stat original;
    EXPECT_EQ(stat(path.c_str(), &original), 0);
    ReferenceChild writer([&](ReferenceChild&) { return runLargeTransaction(ref, path); });
    waitForChange(path, original, std::chrono::seconds(10));
    writer.kill();
    if (!fileExists(path + "-journal")) continue;
    HotPair pair{readFile(path), readFile(path + "-journal")};
    if (countedRecords(pair.journal) > 1 && pair.database != before) return pair;
    unlink((path + "-journal").c_str());
  }
  ADD_FAILURE() << "no kill of the reference came during its commit";
  return {};
}

// The pair our pager leaves when its process ends in the middle of a transaction that
// outgrew the cache, so that the journal was synced and pages written into the file.
HotPair hotPairOfOurs(const std::string& path) {
  createDatabase(path);
  ReferenceChild writer([&](ReferenceChild&) {
    auto pager = openPager(path, 8);
    PageNumber pages = pager->pageCount();
    pager->beginWrite();
    writePattern(*pager, 1, pages + 20, 7);
    _exit(0);  // no destructor may roll the transaction back
    return 1;
  });
  EXPECT_EQ(writer.exitCode(), 0);
  return {readFile(path), readFile(path + "-journal")};
}

struct Damage {
  const char* what;
  std::function<void(HotPair&)> apply;
  bool refused;         // ours reports the file malformed and changes neither file
  bool referenceTried;  // the reference is run on it too (it grows the file to any size asked)
};

const std::vector<Damage>& damages() {
  constexpr size_t kOriginalSizeOffset = 16;
  static const std::vector<Damage> all = {
      {"none", [](HotPair&) {}, false, true},
      {"the last counted record's checksum",
       [](HotPair& pair) {
         setJournalWord(pair.journal, endOfRecord(countedRecords(pair.journal)) - 4, 1);
       },
       false, true},
      {"the page number of the first record zero",
       [](HotPair& pair) { setJournalWord(pair.journal, endOfRecord(0), 0); }, false, true},
      {"an original size as large as the file and the records allow",
       [](HotPair& pair) {
         size_t pages = pair.database.size() / kPageSize;
         setJournalWord(pair.journal, kOriginalSizeOffset,
                        static_cast<uint32_t>(pages + countedRecords(pair.journal)));
       },
       false, true},
      {"an original size one page beyond that",
       [](HotPair& pair) {
         size_t pages = pair.database.size() / kPageSize;
         setJournalWord(pair.journal, kOriginalSizeOffset,
                        static_cast<uint32_t>(pages + countedRecords(pair.journal) + 1));
       },
       true, true},
      {"an original size of 300,000,000 pages",
       [](HotPair& pair) { setJournalWord(pair.journal, kOriginalSizeOffset, 300000000); }, true,
       false},
      {"a count one past the records",
       [](HotPair& pair) {
         pair.journal.resize(endOfRecord(countedRecords(pair.journal)));
         setJournalWord(pair.journal, kJournalRecordCountOffset, countedRecords(pair.journal) + 1);
       },
       true, true},
      {"the journal cut inside its last counted record",
       [](HotPair& pair) {
         pair.journal.resize(endOfRecord(countedRecords(pair.journal)) - kPageSize / 2);
       },
       true, true},
      {"the journal cut before its last counted record",
       [](HotPair& pair) { pair.journal.resize(endOfRecord(countedRecords(pair.journal) - 1)); },
       true, true},
  };
  return all;
}

// What an engine left of a pair after opening the database and reading it.
struct Aftermath {
  int rc;
  HotPair files;
  bool journalLeft;
};

// A file grown far past anything the pair explains is described rather than read.
std::string contentOf(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && info.st_size > (64 << 20)) {
    return "a file of " + std::to_string(info.st_size) + " bytes";
  }
  return readFile(path);
}

Aftermath aftermathAt(const std::string& path, int rc) {
  const std::string journal = path + "-journal";
  const bool left = fileExists(journal);
  return {rc, {contentOf(path), left ? readFile(journal) : ""}, left};
}

Aftermath openWithOurs(const HotPair& pair, const std::string& path) {
  writeFile(path, pair.database);
  writeFile(path + "-journal", pair.journal);
  return aftermathAt(path, errorCodeOf([&] { openPager(path)->get(1); }));
}

Aftermath openWithTheReference(const sqlite2_reference* ref, const HotPair& pair,
                               const std::string& path) {
  writeFile(path, pair.database);
  writeFile(path + "-journal", pair.journal);
  char* error = nullptr;
  int rc = SQLITE_CANTOPEN;
  if (void* db = ref->open(path.c_str(), 0, &error)) {
    rc = ref->exec(db, "SELECT count(*) FROM t;", nullptr, nullptr, &error);
    ref->close(db);
  }
  if (error) ref->freemem(error);
  return aftermathAt(path, rc);
}

// A sound hot journal is played back as the reference plays it; one whose header does not fit
// the files leaves both files as they were and the database reported malformed, where the
// reference cuts or grows the file to the size the header names.
TEST(ReferenceHotJournalTest, DamagedJournalsChangeNothingAndSoundOnesPlayAsInTheReference) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  const std::vector<std::pair<const char*, HotPair>> sources = {
      {"the reference's", hotPairOfTheReference(ref, dir.file("reference-writer.db"))},
      {"our", hotPairOfOurs(dir.file("our-writer.db"))},
  };
  for (const auto& [source, pair] : sources) {
    ASSERT_GT(countedRecords(pair.journal), 1u) << source << " journal";
    for (const Damage& damage : damages()) {
      SCOPED_TRACE(std::string(source) + " journal, damaged: " + damage.what);
      HotPair damaged = pair;
      damage.apply(damaged);
      Aftermath ours = openWithOurs(damaged, dir.file("ours.db"));
      if (damage.refused) {
        EXPECT_EQ(ours.rc, SQLITE_CORRUPT);
        EXPECT_TRUE(ours.files.database == damaged.database && ours.journalLeft &&
                    ours.files.journal == damaged.journal);
      } else {
        EXPECT_EQ(ours.rc, SQLITE_OK);
        EXPECT_FALSE(ours.journalLeft);
      }
      if (!damage.referenceTried) continue;
      Aftermath theirs = openWithTheReference(ref, damaged, dir.file("reference.db"));
      if (damage.refused) {
        EXPECT_TRUE(theirs.files.database != damaged.database || !theirs.journalLeft)
            << "the reference changes the files where ours does not";
      } else {
        EXPECT_FALSE(theirs.journalLeft);
        EXPECT_TRUE(ours.files.database == theirs.files.database)
            << firstDifference(ours.files.database, theirs.files.database);
      }
    }
  }
}

}  // namespace
}  // namespace sqlite2::test
