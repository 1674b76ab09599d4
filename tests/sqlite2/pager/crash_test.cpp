#include <chrono>
#include <cstring>
#include <iostream>
#include <random>

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

constexpr PageNumber kBasePages = 30;
constexpr size_t kWriterCache = 8;  // small, so that every transaction spills

// The file after `version` committed transactions: every page of that version, three more
// pages per version, and every seventh version cut back to the base (a shrinking commit).
PageNumber pagesOf(uint32_t version) {
  return kBasePages + 3 * (version % 7);
}
std::string imageOf(uint32_t version) {
  return databaseImage(pagesOf(version), version);
}

// One attempt of the writer: the next version over every page; every fourth attempt is rolled
// back instead of committed. Returns the version committed after the attempt.
uint32_t writeAttempt(Pager& pager, uint32_t committed, int attempt) {
  pager.beginWrite();
  writePattern(pager, 1, pagesOf(committed + 1), committed + 1);
  pager.truncate(pagesOf(committed + 1));
  if (attempt % 4 == 0) {
    pager.rollback();
    return committed;
  }
  pager.commit();
  return committed + 1;
}

// The child that is killed: writes attempt after attempt to the file at arguments[0].
int writeUntilKilled(const std::vector<std::string>& arguments) {
  auto pager = openPager(arguments.at(0), kWriterCache);
  uint32_t committed = 0;
  for (int attempt = 1; attempt < 100000; ++attempt) {
    uint32_t now = writeAttempt(*pager, committed, attempt);
    if (now != committed) reportCommit();
    committed = now;
  }
  return 0;
}
const bool registered = orvalen::test::registerChild("pager-crash-writer", writeUntilKilled);

std::chrono::microseconds timeOfOneAttempt(const std::string& scratch) {
  writeFile(scratch, imageOf(0));
  auto pager = openPager(scratch, kWriterCache);
  auto start = std::chrono::steady_clock::now();
  writeAttempt(*pager, 0, 1);
  writeAttempt(*pager, 1, 2);
  auto elapsed = std::chrono::steady_clock::now() - start;
  return std::chrono::duration_cast<std::chrono::microseconds>(elapsed) / 2;
}

// A writer is killed (SIGKILL, TerminateProcess) at a random moment; the next connection must find
// the file exactly as some committed transaction left it, never a mix of two.
TEST(PagerCrashTest, AKilledWriterLeavesTheOldOrTheNewFileNeverAMix) {
  TempDir dir;
  std::string path = dir.file("crash.db");
  std::string journal = path + "-journal";
  auto attemptTime = timeOfOneAttempt(dir.file("scratch.db"));
  unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  // Each kill comes after zero to two commits and up to two attempts' time more.
  std::uniform_int_distribution<int> commits(0, 2);
  std::uniform_int_distribution<long> delay(0, 2 * std::max<long>(attemptTime.count(), 200));
  int trials = soakTrials().value_or(200);
  int hot = 0;
  uint32_t highest = 0;
  for (int trial = 0; trial < trials; ++trial) {
    writeFile(path, imageOf(0));
    killChildAfter("pager-crash-writer", {path}, commits(random),
                   std::chrono::microseconds(delay(random)));

    hot += fileExists(journal);
    uint32_t version;
    {
      auto pager = openPager(path);
      std::string first = pageBytes(*pager, 1);
      std::memcpy(&version, first.data() + 4, sizeof version);
    }
    highest = std::max(highest, version);
    ASSERT_FALSE(fileExists(journal)) << "trial " << trial << ", seed " << seed;
    ASSERT_EQ(readFile(path), imageOf(version))
        << "trial " << trial << " (version " << version << "), seed " << seed;
  }
  std::cout << trials << " kills, " << hot << " with a hot journal, up to version " << highest
            << ", one attempt " << attemptTime.count() << " us, seed " << seed << "\n";
  EXPECT_GT(hot, 0) << "no kill hit a transaction";
  EXPECT_GT(highest, 0u) << "no kill came after a commit";
}

}  // namespace
}  // namespace sqlite2::test
