// What the copy does on POSIX systems only: permissions, links and inodes.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "exclusive_copy.h"
#include "support/temp_dir.h"

namespace orvalen::app {
namespace {

using test::fileExists;
using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(CopyToNewFile, GivesTheCopyThePermissionsOfANewFile) {
  TempDir dir;
  writeFile(dir.file("template.sdb"), "abc");
  const mode_t previous = ::umask(022);
  const CopyOutcome outcome = copyToNewFile(dir.file("template.sdb"), dir.file("demo.vdb"));
  ::umask(previous);
  ASSERT_EQ(outcome, CopyOutcome::kCopied);
  struct stat info {};
  ASSERT_EQ(::stat(dir.file("demo.vdb").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(CopyToNewFile, KeepsTheExistingTargetsInode) {
  TempDir dir;
  writeFile(dir.file("template.sdb"), "template bytes");
  writeFile(dir.file("demo.vdb"), "the user's own plugin");
  struct stat before {};
  ::stat(dir.file("demo.vdb").c_str(), &before);

  EXPECT_EQ(copyToNewFile(dir.file("template.sdb"), dir.file("demo.vdb")),
            CopyOutcome::kTargetExists);
  EXPECT_EQ(readFile(dir.file("demo.vdb")), "the user's own plugin");
  struct stat after {};
  ::stat(dir.file("demo.vdb").c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST(CopyToNewFile, DoesNotFollowADanglingSymlinkAtTheTarget) {
  TempDir dir;
  writeFile(dir.file("template.sdb"), "template bytes");
  ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("demo.vdb").c_str()), 0);

  EXPECT_EQ(copyToNewFile(dir.file("template.sdb"), dir.file("demo.vdb")),
            CopyOutcome::kTargetExists);
  EXPECT_FALSE(fileExists(dir.file("elsewhere")));
}

}  // namespace
}  // namespace orvalen::app
