#include "exclusive_copy.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "support/temp_dir.h"

namespace orvalen::app {
namespace {

using test::fileExists;
using test::readFile;
using test::TempDir;
using test::writeFile;

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  ::closedir(dir);
  return names;
}

// Bytes that a text-mode or NUL-terminated copy would damage, longer than one copy buffer.
std::string binaryContents() {
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<char>((i * 7919) % 256));
  return bytes;
}

TEST(CopyToNewFile, CopiesEveryByteAndLeavesNoTemporaryFile) {
  TempDir source;
  TempDir target;
  const std::string bytes = binaryContents();
  writeFile(source.file("template.sdb"), bytes);

  EXPECT_EQ(copyToNewFile(source.file("template.sdb"), target.file("demo.vdb")),
            CopyOutcome::kCopied);
  EXPECT_EQ(readFile(target.file("demo.vdb")), bytes);
  EXPECT_EQ(namesIn(target.path()), std::set<std::string>{"demo.vdb"});
}

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

TEST(CopyToNewFile, NeverTouchesAnExistingTarget) {
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
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"demo.vdb", "template.sdb"}));
}

TEST(CopyToNewFile, DoesNotFollowADanglingSymlinkAtTheTarget) {
  TempDir dir;
  writeFile(dir.file("template.sdb"), "template bytes");
  ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("demo.vdb").c_str()), 0);

  EXPECT_EQ(copyToNewFile(dir.file("template.sdb"), dir.file("demo.vdb")),
            CopyOutcome::kTargetExists);
  EXPECT_FALSE(fileExists(dir.file("elsewhere")));
}

TEST(CopyToNewFile, AMissingOrUnusableSourceWritesNothing) {
  TempDir dir;
  ::mkdir(dir.file("folder").c_str(), 0755);
  EXPECT_EQ(copyToNewFile(dir.file("missing.sdb"), dir.file("a.vdb")),
            CopyOutcome::kSourceUnreadable);
  EXPECT_EQ(copyToNewFile(dir.file("folder"), dir.file("b.vdb")), CopyOutcome::kSourceUnreadable);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"folder"});
}

TEST(CopyToNewFile, AnUnwritableFolderLeavesNothingBehind) {
  TempDir dir;
  writeFile(dir.file("template.sdb"), "template bytes");
  EXPECT_EQ(copyToNewFile(dir.file("template.sdb"), dir.file("no/such/folder/demo.vdb")),
            CopyOutcome::kTargetUnwritable);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"template.sdb"});
}

}  // namespace
}  // namespace orvalen::app
