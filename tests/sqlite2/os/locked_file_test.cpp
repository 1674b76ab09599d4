#include "os/locked_file.h"

#include <dirent.h>
#include <unistd.h>

#include <memory>

#include <gtest/gtest.h>

#include "process_probe.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::LockHolder;
using orvalen::test::otherProcessCanLock;
using orvalen::test::ProbeLock;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

int openDescriptorCount() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
  closedir(dir);
  return count;
}

class LockedFileTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(path_, std::string(2048, 'x')); }
  std::unique_ptr<LockedFile> connect(const std::string& path) {
    return std::make_unique<LockedFile>(File::openReadWrite(path));
  }
  bool othersCanRead() { return otherProcessCanLock(path_, ProbeLock::kRead); }
  bool othersCanWrite() { return otherProcessCanLock(path_, ProbeLock::kWrite); }

  TempDir dir_;
  std::string path_ = dir_.file("db");
};

TEST_F(LockedFileTest, LevelsAreVisibleToOtherProcessesAsFcntlLocks) {
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

TEST_F(LockedFileTest, ClosingOneConnectionKeepsAnotherOnesLock) {
  int before = openDescriptorCount();
  auto holder = connect(path_);
  auto closer = connect(path_);
  ASSERT_TRUE(holder->tryShared());
  ASSERT_TRUE(closer->tryShared());
  closer.reset();
  EXPECT_FALSE(othersCanWrite()) << "closing a descriptor dropped the process's lock";
  EXPECT_EQ(openDescriptorCount(), before + 2) << "the closed connection's descriptor is kept";

  holder->unlock();
  EXPECT_EQ(openDescriptorCount(), before + 1) << "the kept descriptor is closed with the lock";
  EXPECT_TRUE(othersCanWrite());
  holder.reset();
  EXPECT_EQ(openDescriptorCount(), before);
}

TEST_F(LockedFileTest, ConnectionsThroughDifferentPathsShareTheFilesEntry) {
  ASSERT_EQ(symlink(path_.c_str(), dir_.file("alias").c_str()), 0);
  auto direct = connect(path_);
  auto aliased = connect(dir_.file("alias"));
  ASSERT_TRUE(direct->tryShared());
  ASSERT_TRUE(aliased->tryShared());
  EXPECT_FALSE(aliased->tryExclusive());
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
