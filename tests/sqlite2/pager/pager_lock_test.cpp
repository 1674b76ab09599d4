#include <gtest/gtest.h>

#include "pager/pager.h"
#include "pager_test_support.h"
#include "process_probe.h"
#include "sqlite.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::LockHolder;
using orvalen::test::otherProcessCanLock;
using orvalen::test::ProbeLock;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

class PagerLockTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(path_, databaseImage(3, 1)); }
  bool othersCanRead() { return otherProcessCanLock(path_, ProbeLock::kRead); }
  bool othersCanWrite() { return otherProcessCanLock(path_, ProbeLock::kWrite); }

  TempDir dir_;
  std::string path_ = dir_.file("test.db");
};

TEST_F(PagerLockTest, AReaderInTheSameProcessKeepsAWriterOutUntilItLetsGo) {
  auto reader = openPager(path_);
  auto writer = openPager(path_);
  auto page = std::make_unique<PageRef>(reader->get(1));
  std::vector<int> attempts;
  writer->setBusyHandler([&](int attempt) {
    attempts.push_back(attempt);
    return attempt < 3;
  });
  EXPECT_EQ(errorCodeOf([&] { writer->beginWrite(); }), SQLITE_BUSY);
  EXPECT_EQ(attempts, (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(writer->inWriteTransaction());
  EXPECT_TRUE(othersCanRead()) << "the failed writer left no exclusive lock behind";

  attempts.clear();
  writer->setBusyHandler([&](int attempt) {
    attempts.push_back(attempt);
    page.reset();  // the reader finishes while the writer waits
    return true;
  });
  writer->beginWrite();
  EXPECT_EQ(attempts, (std::vector<int>{1}));
  EXPECT_FALSE(othersCanRead());
  writer->rollback();
}

TEST_F(PagerLockTest, AWriterInTheSameProcessKeepsReadersOut) {
  auto writer = openPager(path_);
  auto reader = openPager(path_);
  writer->beginWrite();
  writePattern(*writer, 1, 1, 2);
  EXPECT_EQ(errorCodeOf([&] { reader->get(1); }), SQLITE_BUSY);
  EXPECT_EQ(errorCodeOf([&] { reader->pageCount(); }), SQLITE_BUSY);
  writer->commit();
  EXPECT_EQ(pageBytes(*reader, 1), pagePattern(1, 2));
}

TEST_F(PagerLockTest, ClosingAConnectionLeavesTheOthersLocksInPlace) {
  auto holder = openPager(path_);
  PageRef page = holder->get(1);
  {
    auto other = openPager(path_);
    EXPECT_EQ(pageBytes(*other, 2), pagePattern(2, 1));
  }
  EXPECT_FALSE(othersCanWrite()) << "closing the second connection dropped the first's lock";
  holder->beginWrite();
  EXPECT_FALSE(othersCanRead());
  {
    auto other = openPager(path_);
    EXPECT_EQ(errorCodeOf([&] { other->get(1); }), SQLITE_BUSY);
  }
  EXPECT_FALSE(othersCanRead()) << "closing a refused connection dropped the write lock";
  holder->rollback();
}

TEST_F(PagerLockTest, LockLevelsFollowReferencesAndTransactions) {
  auto pager = openPager(path_);
  EXPECT_TRUE(othersCanWrite());
  {
    PageRef page = pager->get(1);
    EXPECT_TRUE(othersCanRead());
    EXPECT_FALSE(othersCanWrite());
    pager->beginWrite();
    EXPECT_FALSE(othersCanRead());
    writePattern(*pager, 2, 2, 2);
    pager->commit();
    EXPECT_TRUE(othersCanRead()) << "after a commit the connection falls back to shared";
    EXPECT_FALSE(othersCanWrite());
  }
  EXPECT_TRUE(othersCanWrite()) << "the last reference released the lock";
  pager->beginWrite();
  EXPECT_FALSE(othersCanRead()) << "a transaction holds the lock without references";
  pager->commit();
  EXPECT_TRUE(othersCanWrite());
}

TEST_F(PagerLockTest, LocksOfOtherProcessesMakeThePagerBusy) {
  auto pager = openPager(path_);
  {
    LockHolder writer(path_, ProbeLock::kWrite);
    ASSERT_TRUE(writer.holding());
    int calls = 0;
    pager->setBusyHandler([&](int) { return ++calls < 5; });
    EXPECT_EQ(errorCodeOf([&] { pager->get(1); }), SQLITE_BUSY);
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(errorCodeOf([&] { pager->beginWrite(); }), SQLITE_BUSY);
  }
  pager->setBusyHandler(nullptr);
  {
    LockHolder reader(path_, ProbeLock::kRead);
    ASSERT_TRUE(reader.holding());
    EXPECT_EQ(pageBytes(*pager, 1), pagePattern(1, 1)) << "readers share";
    EXPECT_EQ(errorCodeOf([&] { pager->beginWrite(); }), SQLITE_BUSY);
  }
  pager->beginWrite();
  writePattern(*pager, 3, 3, 2);
  {
    LockHolder late(path_, ProbeLock::kRead);
    EXPECT_FALSE(late.holding());
  }
  pager->commit();
  EXPECT_EQ(readFile(path_), databaseImage(2, 1) + pagePattern(3, 2));
}

}  // namespace
}  // namespace sqlite2::test
