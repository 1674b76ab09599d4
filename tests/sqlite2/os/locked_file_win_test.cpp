// The lock bytes on Windows: where they lie, how SQLite 2.8's own procedure meets ours, and
// that two processes exclude each other.

#include <windows.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "locked_file_test.h"
#include "support/child_process.h"

namespace sqlite2 {
namespace {

constexpr DWORD kGateByte = 0xFFFFD800;
constexpr DWORD kRangeStart = kGateByte + 1;
constexpr DWORD kRangeLength = 10239;

// Another handle on the file, as another program holds one, locking bytes directly.
class OtherHandle {
 public:
  explicit OtherHandle(const std::string& path)
      : handle_(CreateFileW(std::filesystem::u8path(path).wstring().c_str(),
                            GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OtherHandle() { CloseHandle(handle_); }
  OtherHandle(const OtherHandle&) = delete;
  OtherHandle& operator=(const OtherHandle&) = delete;

  // Locks and, unless keep, unlocks again: whether the bytes could be locked.
  bool lock(DWORD offset, DWORD length, bool exclusive, bool keep = false) {
    OVERLAPPED position = {};
    position.Offset = offset;
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (!LockFileEx(handle_, flags, 0, length, 0, &position)) return false;
    if (!keep) unlock(offset, length);
    return true;
  }
  void unlock(DWORD offset, DWORD length) {
    OVERLAPPED position = {};
    position.Offset = offset;
    UnlockFileEx(handle_, 0, length, 0, &position);
  }

 private:
  HANDLE handle_;
};

TEST_F(LockedFileTest, TheLocksLieInSqlite28sRegionAndTheGateIsLetGo) {
  auto connection = connect(path_);
  OtherHandle other(path_);
  ASSERT_TRUE(connection->tryShared());
  EXPECT_TRUE(other.lock(kGateByte, 1, true)) << "the gate is held only while locking";
  EXPECT_TRUE(other.lock(kRangeStart, kRangeLength, false));
  EXPECT_FALSE(other.lock(kRangeStart, kRangeLength, true));
  EXPECT_FALSE(other.lock(kRangeStart + kRangeLength - 1, 1, true)) << "the range's last byte";
  EXPECT_TRUE(other.lock(kRangeStart + kRangeLength, 1, true)) << "past the range";

  ASSERT_TRUE(connection->tryExclusive());
  EXPECT_TRUE(other.lock(kGateByte, 1, true));
  EXPECT_FALSE(other.lock(kRangeStart, 1, false));
  EXPECT_TRUE(other.lock(0, 4096, true)) << "the data itself is never locked";

  connection->unlock();
  EXPECT_TRUE(other.lock(kRangeStart, kRangeLength, true));
}

TEST_F(LockedFileTest, AGateHeldElsewhereRefusesLocksAfterRetrying) {
  auto connection = connect(path_);
  OtherHandle other(path_);
  ASSERT_TRUE(other.lock(kGateByte, 1, true, true));
  EXPECT_FALSE(connection->tryShared());
  EXPECT_EQ(connection->level(), LockLevel::kNone);
  other.unlock(kGateByte, 1);
  EXPECT_TRUE(connection->tryShared());
}

TEST_F(LockedFileTest, ARefusedUpgradeKeepsTheSharedLock) {
  auto connection = connect(path_);
  OtherHandle reader(path_);
  ASSERT_TRUE(reader.lock(kRangeStart, kRangeLength, false, true));  // a reader of SQLite 2.8
  EXPECT_FALSE(connection->tryExclusive());
  EXPECT_EQ(connection->level(), LockLevel::kShared);
  OtherHandle writer(path_);
  EXPECT_FALSE(writer.lock(kRangeStart, kRangeLength, true)) << "the shared lock was given up";
  reader.unlock(kRangeStart, kRangeLength);
  EXPECT_TRUE(connection->tryExclusive());
}

// A child process holding a lock of our engine on the file at arguments[0]: the shared lock
// when arguments[1] is "shared", else the exclusive one. It reports 'y' or 'n' and holds the
// lock until the parent says so.
int holdLock(const std::vector<std::string>& arguments) {
  LockedFile connection(File::openReadWrite(arguments.at(0)));
  const bool held =
      arguments.at(1) == "shared" ? connection.tryShared() : connection.tryExclusive();
  orvalen::test::reportToParent(held ? 'y' : 'n');
  orvalen::test::messageFromParent();
  return 0;
}
const bool registered = orvalen::test::registerChild("hold-lock", holdLock);

TEST_F(LockedFileTest, TwoProcessesExcludeEachOther) {
  auto connection = connect(path_);
  {
    orvalen::test::ChildProcess writer("hold-lock", {path_, "exclusive"});
    ASSERT_EQ(writer.nextReport(), 'y');
    EXPECT_FALSE(connection->tryShared()) << "another process writes";
    writer.tellChild();
    EXPECT_EQ(writer.wait(), 0);
  }
  ASSERT_TRUE(connection->tryShared());
  orvalen::test::ChildProcess reader("hold-lock", {path_, "shared"});
  EXPECT_EQ(reader.nextReport(), 'y') << "readers share";
  EXPECT_FALSE(connection->tryExclusive()) << "another process reads";
  reader.tellChild();
  EXPECT_EQ(reader.wait(), 0);
  EXPECT_TRUE(connection->tryExclusive());
  orvalen::test::ChildProcess late("hold-lock", {path_, "shared"});
  EXPECT_EQ(late.nextReport(), 'n') << "nobody reads while this process writes";
  late.tellChild();
}

}  // namespace
}  // namespace sqlite2
