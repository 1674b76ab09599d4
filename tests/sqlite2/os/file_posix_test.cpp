// What the OS layer does on POSIX systems only: file modes, symbolic links, nameless
// temporary files, permissions, and paths with '/'.

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "os/file.h"
#include "os/file_system.h"
#include "process_probe.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::errorCodeOf;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

mode_t permissionsOf(const std::string& path) {
  struct stat info;
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

class UmaskGuard {
 public:
  explicit UmaskGuard(mode_t mask) : previous_(umask(mask)) {}
  ~UmaskGuard() { umask(previous_); }

 private:
  mode_t previous_;
};

TEST(File, OpenReadWriteCreatesAnEmptyFileWithMode0644) {
  TempDir dir;
  UmaskGuard mask(0);
  File file = File::openReadWrite(dir.file("new.db"));
  EXPECT_FALSE(file.isReadOnly());
  EXPECT_EQ(file.size(), 0u);
  EXPECT_EQ(permissionsOf(dir.file("new.db")), 0644u);
}

TEST(File, CreateExclusiveUsesMode0600AndRefusesExistingPathsAndLinks) {
  TempDir dir;
  UmaskGuard mask(0);
  File::createExclusive(dir.file("journal"));
  EXPECT_EQ(permissionsOf(dir.file("journal")), 0600u);
  EXPECT_EQ(errorCodeOf([&] { File::createExclusive(dir.file("journal")); }), SQLITE_CANTOPEN);

  ASSERT_EQ(symlink(dir.file("target").c_str(), dir.file("dangling").c_str()), 0);
  EXPECT_EQ(errorCodeOf([&] { File::createExclusive(dir.file("dangling")); }), SQLITE_CANTOPEN);
  EXPECT_FALSE(fileExists(dir.file("target"))) << "the link was followed";

  writeFile(dir.file("real"), "keep");
  ASSERT_EQ(symlink(dir.file("real").c_str(), dir.file("link").c_str()), 0);
  EXPECT_EQ(errorCodeOf([&] { File::createExclusive(dir.file("link")); }), SQLITE_CANTOPEN);
  EXPECT_EQ(readFile(dir.file("real")), "keep");
}

TEST(File, TemporaryFilesHaveNoName) {
  TempDir dir;
  const char* previous = getenv("TMPDIR");
  std::string saved = previous ? previous : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  File scratch = File::createTemporary();
  if (previous) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  scratch.writeAt(2000, "kept", 4);
  char buffer[4];
  EXPECT_EQ(scratch.readAt(2000, buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "kept");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "the temporary file has a name";
}

TEST(File, FallsBackToReadOnlyWhenTheFileCannotBeWritten) {
  TempDir dir;
  orvalen::test::openUpForOthers(dir.path());
  writeFile(dir.file("f"), "abc");
  ASSERT_EQ(chmod(dir.file("f").c_str(), 0444), 0);
  auto result = orvalen::test::runUnprivileged([&]() -> std::string {
    File file = File::openReadWrite(dir.file("f"));
    if (!file.isReadOnly()) return "opened for writing";
    char buffer[3];
    if (file.readAt(0, buffer, 3) != 3 || std::string(buffer, 3) != "abc") return "read failed";
    return "";
  });
  if (!result.ran) GTEST_SKIP() << result.skipReason;
  EXPECT_EQ(result.failure, "");
}

TEST(FileSystem, AbsolutePathsAndDirectories) {
  EXPECT_EQ(absolutePath("/a/b.db"), "/a/b.db");
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(absolutePath("sub/b.db"), std::string(cwd) + "/sub/b.db");
  EXPECT_EQ(directoryOf("/a/b/c.db"), "/a/b");
  EXPECT_EQ(directoryOf("/c.db"), "/");
}

}  // namespace
}  // namespace sqlite2
