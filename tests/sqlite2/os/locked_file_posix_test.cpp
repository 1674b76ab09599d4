// What the POSIX locks add: one process's connections share the process's fcntl lock, so
// descriptors are kept while any connection holds a lock, and a file is known by its inode.

#include <dirent.h>
#include <unistd.h>

#include <memory>

#include <gtest/gtest.h>

#include "locked_file_test.h"

namespace sqlite2 {
namespace {

int openDescriptorCount() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
  closedir(dir);
  return count;
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

}  // namespace
}  // namespace sqlite2
