#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <optional>
#include <random>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace sqlite2::test
