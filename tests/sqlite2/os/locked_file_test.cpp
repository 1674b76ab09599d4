#include "os/locked_file.h"

#include <memory>

#include <gtest/gtest.h>

#include "locked_file_test.h"

namespace sqlite2 {
namespace {

using orvalen::test::LockHolder;
using orvalen::test::ProbeLock;

TEST_F(LockedFileTest, LevelsAreVisibleToOtherConnections) {
  auto connection = connect(path_);
  EXPECT_TRUE(othersCanWrite());
  ASSERT_TRUE(connection->tryShared());
  EXPECT_EQ(connection->level(), LockLevel::kShared);
  EXPECT_TRUE(othersCanRead());
  EXPECT_FALSE(othersCanWrite());

  ASSERT_TRUE(connection->tryExclusive());
  EXPECT_EQ(connection->level(), LockLevel::kExclusive);
  EXPECT_FALSE(othersCanRead());

  connection->downgrade();
  EXPECT_EQ(connection->level(), LockLevel::kShared);
  EXPECT_TRUE(othersCanRead());
  EXPECT_FALSE(othersCanWrite());

  connection->unlock();
  EXPECT_EQ(connection->level(), LockLevel::kNone);
  EXPECT_TRUE(othersCanWrite());
}

TEST_F(LockedFileTest, ConnectionsOfOneProcessExcludeEachOther) {
  auto first = connect(path_);
  auto second = connect(path_);
  ASSERT_TRUE(first->tryShared());
  ASSERT_TRUE(second->tryShared());
  EXPECT_FALSE(second->tryExclusive()) << "the process's read lock is shared with another reader";
  EXPECT_EQ(second->level(), LockLevel::kShared);

  second->unlock();
  EXPECT_FALSE(othersCanWrite()) << "the first connection still reads";
  ASSERT_TRUE(first->tryExclusive());
  EXPECT_FALSE(second->tryShared()) << "a writer of this process excludes readers";
  EXPECT_FALSE(second->tryExclusive());
  EXPECT_EQ(second->level(), LockLevel::kNone);

  first->unlock();
  EXPECT_TRUE(second->tryExclusive());
}

TEST_F(LockedFileTest, TheLastReaderReleasesTheProcessLock) {
  auto first = connect(path_);
  auto second = connect(path_);
  ASSERT_TRUE(first->tryShared());
  ASSERT_TRUE(second->tryShared());
  first->unlock();
  EXPECT_FALSE(othersCanWrite());
  second->unlock();
  EXPECT_TRUE(othersCanWrite());
}

TEST_F(LockedFileTest, ExclusiveLockNeedsAWritableDescriptor) {
  LockedFile reader(File::openReadOnly(path_));
  EXPECT_TRUE(reader.tryShared());
  EXPECT_FALSE(reader.tryExclusive());
  EXPECT_EQ(reader.level(), LockLevel::kShared);
}

TEST_F(LockedFileTest, LocksOfOtherProcessesAreRespected) {
  auto connection = connect(path_);
  {
    LockHolder writer(path_, ProbeLock::kWrite);
    ASSERT_TRUE(writer.holding());
    EXPECT_FALSE(connection->tryShared());
    EXPECT_EQ(connection->level(), LockLevel::kNone);
  }
  {
    LockHolder reader(path_, ProbeLock::kRead);
    ASSERT_TRUE(reader.holding());
    EXPECT_TRUE(connection->tryShared());
    EXPECT_FALSE(connection->tryExclusive());
    EXPECT_EQ(connection->level(), LockLevel::kShared);
    connection->unlock();
  }
  EXPECT_TRUE(connection->tryExclusive());
  LockHolder late(path_, ProbeLock::kRead);
  EXPECT_FALSE(late.holding());
}

}  // namespace
}  // namespace sqlite2
