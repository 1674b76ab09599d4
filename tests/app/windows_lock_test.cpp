// The Windows build's locks as Linux sees them. Under Wine a Windows program's byte-range locks
// become POSIX locks on the same bytes, held by the wineserver; so the reference SQLite 2.8 of
// Linux, which locks the whole file with fcntl, meets the locks of our Windows engine. This
// shows where they lie (/proc/locks) and that the two engines keep each other out as SQLite
// 2.8's locks say: readers together, a writer alone. It runs when a Windows build is named
// (windows_build.h).

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/reference_engine.h"
#include "support/temp_dir.h"
#include "windows_build.h"

namespace orvalen::test {
namespace {

// SQLite 2.8's lock range on Windows: the 10239 bytes after the gate byte 0xFFFFD800.
constexpr unsigned long long kRangeStart = 0xFFFFD801ull;
constexpr unsigned long long kRangeEnd = kRangeStart + 10239 - 1;

// The POSIX locks the kernel lists for the file, as "READ 4294957057 4294967295".
std::vector<std::string> posixLocksOn(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  const std::string inode = ":" + std::to_string(info.st_ino);
  std::vector<std::string> locks;
  std::ifstream table("/proc/locks");
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string number, kind, advisory, type, pid, file, start, end;
    fields >> number >> kind >> advisory >> type >> pid >> file >> start >> end;
    if (kind == "POSIX" && file.size() > inode.size() &&
        file.compare(file.size() - inode.size(), inode.size(), inode) == 0) {
      locks.push_back(type + " " + start + " " + end);
    }
  }
  return locks;
}

std::string expectedLock(const std::string& type) {
  return type + " " + std::to_string(kRangeStart) + " " + std::to_string(kRangeEnd);
}

// A statement of the reference engine that does not wait for locks: "0 ok" or, for instance,
// "5 database is locked".
std::string referenceAttempt(const sqlite2_reference* ref, const std::string& path,
                             const std::string& sql) {
  char* error = nullptr;
  void* db = ref->open(path.c_str(), 0, &error);
  if (!db) return "no database";
  const int code = ref->exec(db, sql.c_str(), nullptr, nullptr, &error);
  std::string result = std::to_string(code) + " " + (code == 0 ? "ok" : error ? error : "");
  if (error) ref->freemem(error);
  ref->close(db);
  return result;
}

class WindowsLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    holder_ = windowsProgram("tests/sqlite2/api/orvalen_lock_holder.exe");
    if (!holder_) GTEST_SKIP() << "no Windows build: ORVALEN_WINDOWS_BUILD is not set";
    referenceQuery(path_, "create table t(a)");
    referenceQuery(path_, "insert into t values('linux')");
  }

  // The Windows build, holding a lock (hold-read, hold-write) until released.
  std::unique_ptr<WineProcess> holdInWindows(const std::string& mode) {
    auto process =
        std::make_unique<WineProcess>(std::vector<std::string>{*holder_, windowsPath(path_), mode});
    EXPECT_EQ(process->readLine(), "holding") << mode;
    return process;
  }

  // What the Windows build gets when it tries a statement now (try-read, try-write).
  std::string attemptInWindows(const std::string& mode) {
    WineProcess process({*holder_, windowsPath(path_), mode});
    return process.readLine().value_or("no answer");
  }

  TempDir dir_;
  std::string path_ = dir_.file("locks.db");
  std::optional<std::string> holder_;
};

TEST_F(WindowsLockTest, AWindowsWriterIsAPosixWriteLockThatKeepsTheReferenceOut) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  auto writer = holdInWindows("hold-write");
  const std::vector<std::string> seen = posixLocksOn(path_);
  std::cout << "POSIX locks while the Windows build writes:";
  for (const auto& lock : seen) std::cout << " [" << lock << "]";
  std::cout << "\n";
  EXPECT_EQ(seen, std::vector<std::string>{expectedLock("WRITE")});
  EXPECT_EQ(referenceAttempt(ref, path_, "select count(*) from t"), "5 database is locked");
  EXPECT_EQ(referenceAttempt(ref, path_, "insert into t values('linux')"), "5 database is locked");
  writer->writeLine("");
  EXPECT_EQ(writer->readLine(), "0 ok");
  EXPECT_EQ(writer->wait(), 0);
  EXPECT_TRUE(posixLocksOn(path_).empty());
  EXPECT_EQ(referenceQuery(path_, "select a from t"),
            (std::vector<std::string>{"linux", "windows"}));
  EXPECT_EQ(referenceIntegrity(path_), "ok");
}

TEST_F(WindowsLockTest, AWindowsReaderSharesWithReferenceReadersButNotWithItsWriters) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  auto reader = holdInWindows("hold-read");
  EXPECT_EQ(posixLocksOn(path_), std::vector<std::string>{expectedLock("READ")});
  EXPECT_EQ(referenceAttempt(ref, path_, "select count(*) from t"), "0 ok");
  EXPECT_EQ(referenceAttempt(ref, path_, "insert into t values('linux')"), "5 database is locked");
  reader->writeLine("");
  EXPECT_EQ(reader->readLine(), "0 ok");
  EXPECT_EQ(referenceQuery(path_, "select count(*) from t"), std::vector<std::string>{"1"});
}

// The reference engine's whole-file fcntl lock covers SQLite 2.8's range on Windows, so the
// Windows build's range locks are refused while it holds one that conflicts.
TEST_F(WindowsLockTest, TheReferencesLocksKeepTheWindowsBuildOut) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  char* error = nullptr;
  void* db = ref->open(path_.c_str(), 0, &error);
  ASSERT_NE(db, nullptr);
  ASSERT_EQ(ref->exec(db, "begin; insert into t values('linux')", nullptr, nullptr, &error), 0);
  EXPECT_EQ(attemptInWindows("try-read"), "5 database is locked");
  EXPECT_EQ(attemptInWindows("try-write"), "5 database is locked");
  ASSERT_EQ(ref->exec(db, "commit", nullptr, nullptr, &error), 0);
  ref->close(db);
  EXPECT_EQ(attemptInWindows("try-read"), "0 ok");
  EXPECT_EQ(attemptInWindows("try-write"), "0 ok");
  EXPECT_EQ(referenceQuery(path_, "select count(*) from t"), std::vector<std::string>{"3"});
  EXPECT_EQ(referenceIntegrity(path_), "ok");
}

}  // namespace
}  // namespace orvalen::test
