#include <sys/stat.h>

#include <gtest/gtest.h>

#include "common/error.h"
#include "pager/pager.h"
#include "pager_test_support.h"
#include "process_probe.h"
#include "sqlite.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::fileExists;
using orvalen::test::openUpForOthers;
using orvalen::test::otherProcessCanLock;
using orvalen::test::ProbeLock;
using orvalen::test::readFile;
using orvalen::test::runUnprivileged;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

// The checks are plain functions returning what went wrong, so that they can run in a child
// process without the test's root privileges.
std::string expectCode(int expected, const std::function<void()>& action, const char* what) {
  int code = errorCodeOf(action);
  if (code == expected) return "";
  return std::string(what) + ": code " + std::to_string(code) + ", expected " +
         std::to_string(expected) + "\n";
}

std::string checkReadOnlyPager(Pager& pager) {
  std::string problems;
  if (!pager.isReadOnly()) problems += "not read-only\n";
  if (pageBytes(pager, 2) != pagePattern(2, 1)) problems += "page 2 reads wrong\n";
  pager.beginWrite();  // as the reference library's BEGIN: allowed, takes the shared lock
  if (!pager.inWriteTransaction()) problems += "no transaction\n";
  PageRef page = pager.get(1);
  problems += expectCode(
      SQLITE_READONLY, [&] { pager.makeWritable(page); }, "makeWritable");
  problems += expectCode(
      SQLITE_READONLY, [&] { page.mutableData(); }, "mutableData");
  pager.commit();
  return problems;
}

class ReadOnlyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    openUpForOthers(dir_.path());
    writeFile(path_, databaseImage(3, 1));
    chmod(path_.c_str(), 0666);
  }
  TempDir dir_;
  std::string path_ = dir_.file("test.db");
};

TEST_F(ReadOnlyTest, AConnectionOpenedReadOnlyReadsButNeverWrites) {
  auto pager = openPager(path_, 2000, true);
  EXPECT_EQ(checkReadOnlyPager(*pager), "");
  EXPECT_FALSE(fileExists(pager->journalPath()));
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

TEST_F(ReadOnlyTest, ABeginOnAReadOnlyFileHoldsTheSharedLockUntilItEnds) {
  auto pager = openPager(path_, 2000, true);
  pager->beginWrite();
  EXPECT_TRUE(otherProcessCanLock(path_, ProbeLock::kRead));
  EXPECT_FALSE(otherProcessCanLock(path_, ProbeLock::kWrite));
  pager->rollback();
  EXPECT_TRUE(otherProcessCanLock(path_, ProbeLock::kWrite));
}

TEST_F(ReadOnlyTest, AFileWithoutWritePermissionOpensReadOnly) {
  chmod(path_.c_str(), 0444);
  auto result = runUnprivileged([&] {
    auto pager = openPager(path_);
    return checkReadOnlyPager(*pager);
  });
  if (!result.ran) GTEST_SKIP() << "cannot drop root privileges: " << result.skipReason;
  EXPECT_EQ(result.failure, "");
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

TEST_F(ReadOnlyTest, ADirectoryThatCannotBeWrittenRefusesTheJournal) {
  chmod(dir_.path().c_str(), 0555);
  auto result = runUnprivileged([&] {
    auto pager = openPager(path_);
    std::string problems;
    if (pager->isReadOnly()) problems += "the file itself is writable\n";
    problems += expectCode(
        SQLITE_CANTOPEN, [&] { pager->beginWrite(); }, "beginWrite");
    try {
      pager->beginWrite();
    } catch (const Error& error) {
      if (std::string(error.what()) != "unable to open database file") {
        problems += std::string("message: ") + error.what() + "\n";
      }
    }
    if (pager->inWriteTransaction()) problems += "transaction left open\n";
    if (pageBytes(*pager, 3) != pagePattern(3, 1)) problems += "cannot read afterwards\n";
    if (!otherProcessCanLock(path_, ProbeLock::kWrite)) problems += "lock left behind\n";
    return problems;
  });
  if (!result.ran) GTEST_SKIP() << "cannot drop root privileges: " << result.skipReason;
  EXPECT_EQ(result.failure, "");
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

TEST_F(ReadOnlyTest, ANewFileCannotBeCreatedInADirectoryThatCannotBeWritten) {
  chmod(dir_.path().c_str(), 0555);
  std::string path = dir_.file("new.db");
  auto result = runUnprivileged([&] {
    try {
      openPager(path);
    } catch (const Error& error) {
      std::string expected = "unable to open database: " + path;
      if (error.code() != SQLITE_CANTOPEN || error.what() != expected) {
        return std::to_string(error.code()) + " " + error.what();
      }
      return std::string();
    }
    return std::string("opened");
  });
  if (!result.ran) GTEST_SKIP() << "cannot drop root privileges: " << result.skipReason;
  EXPECT_EQ(result.failure, "");
  EXPECT_FALSE(fileExists(path));
}

TEST_F(ReadOnlyTest, AMissingDirectoryCannotHoldANewFile) {
  std::string path = dir_.file("missing/new.db");
  try {
    openPager(path);
    ADD_FAILURE() << "opened";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), SQLITE_CANTOPEN);
    EXPECT_EQ(std::string(error.what()), "unable to open database: " + path);
  }
}

}  // namespace
}  // namespace sqlite2::test
