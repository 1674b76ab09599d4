#include "os/fault_injection.h"

#include <sys/uio.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "os/file.h"
#include "os/file_system.h"
#include "os/locked_file.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"
#include "support/fault_injector.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::errorCodeOf;
using orvalen::test::FaultInjector;
using orvalen::test::FileOperationSet;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(path_, std::string(2048, 'a')); }

  // The result code of the action when the first operation of the kind fails with the fault.
  int codeWhenFailing(FileOperation kind, InjectedFault fault,
                      const std::function<void()>& action) {
    faults_.failAt(1, fault, FaultInjector::kOnce, {kind});
    int code = errorCodeOf(action);
    EXPECT_TRUE(faults_.fired()) << orvalen::test::operationName(kind);
    faults_.countOnly();
    return code;
  }

  TempDir dir_;
  std::string path_ = dir_.file("db");
  FaultInjector faults_;
};

TEST_F(FaultInjectionTest, EachPrimitiveReportsItsFaultWithTheCodeOfTheMatchingSystemError) {
  File file = File::openReadWrite(path_);
  ScopedFaultHook hook(&faults_);
  char buffer[16] = {};
  struct iovec vector[1] = {{buffer, sizeof buffer}};
  auto read = [&] { file.readAt(0, buffer, sizeof buffer); };
  auto readVector = [&] { file.readVectorAt(0, vector, 1); };
  auto write = [&] { file.writeAt(0, "b", 1); };
  auto writeVector = [&] { file.writeVectorAt(0, vector, 1); };
  for (InjectedFault fault : {InjectedFault::kIoError, InjectedFault::kDiskFull}) {
    SCOPED_TRACE(fault == InjectedFault::kIoError ? "EIO" : "ENOSPC");
    int writeCode = fault == InjectedFault::kIoError ? SQLITE_IOERR : SQLITE_FULL;
    EXPECT_EQ(codeWhenFailing(FileOperation::kRead, fault, read), SQLITE_IOERR);
    EXPECT_EQ(codeWhenFailing(FileOperation::kRead, fault, readVector), SQLITE_IOERR);
    EXPECT_EQ(codeWhenFailing(FileOperation::kWrite, fault, write), writeCode);
    EXPECT_EQ(codeWhenFailing(FileOperation::kWrite, fault, writeVector), writeCode);
    EXPECT_EQ(codeWhenFailing(FileOperation::kTruncate, fault, [&] { file.truncate(1024); }),
              writeCode);
    EXPECT_EQ(codeWhenFailing(FileOperation::kSync, fault, [&] { file.sync(); }), SQLITE_IOERR);
    EXPECT_EQ(codeWhenFailing(FileOperation::kFileSize, fault, [&] { file.size(); }), SQLITE_IOERR);
    EXPECT_EQ(codeWhenFailing(FileOperation::kOpen, fault, [&] { File::openExisting(path_); }),
              SQLITE_CANTOPEN);
    EXPECT_EQ(codeWhenFailing(FileOperation::kCreate, fault,
                              [&] { File::createExclusive(dir_.file("journal")); }),
              SQLITE_CANTOPEN);
    EXPECT_EQ(codeWhenFailing(FileOperation::kCreate, fault, [&] { File::createTemporary(); }),
              SQLITE_CANTOPEN);
    EXPECT_EQ(codeWhenFailing(FileOperation::kDelete, fault, [&] { deleteFile(path_); }),
              SQLITE_IOERR);
    EXPECT_EQ(
        codeWhenFailing(FileOperation::kDirectorySync, fault, [&] { syncDirectory(dir_.path()); }),
        SQLITE_IOERR);
  }
  // Nothing the failed calls were asked to do happened.
  EXPECT_EQ(readFile(path_), std::string(2048, 'a'));
  EXPECT_FALSE(fileExists(dir_.file("journal")));
}

TEST_F(FaultInjectionTest, AFailedLockRequestIsAnIoErrorAndLeavesTheFileUnlocked) {
  LockedFile locked(File::openReadWrite(path_));
  ScopedFaultHook hook(&faults_);
  EXPECT_EQ(
      codeWhenFailing(FileOperation::kLock, InjectedFault::kIoError, [&] { locked.tryShared(); }),
      SQLITE_IOERR);
  EXPECT_EQ(locked.level(), LockLevel::kNone);
  EXPECT_TRUE(locked.tryExclusive());
}

TEST_F(FaultInjectionTest, OnlyTheNthWatchedOperationFailsOnceOrFromThenOn) {
  File file = File::openReadWrite(path_);
  ScopedFaultHook hook(&faults_);
  char byte;
  auto readCode = [&] { return errorCodeOf([&] { file.readAt(0, &byte, 1); }); };
  auto syncCode = [&] { return errorCodeOf([&] { file.sync(); }); };

  faults_.failAt(2, InjectedFault::kIoError, FaultInjector::kOnce, {FileOperation::kRead});
  EXPECT_EQ(syncCode(), SQLITE_OK);  // not watched, not counted
  EXPECT_EQ(readCode(), SQLITE_OK);
  EXPECT_FALSE(faults_.fired());
  EXPECT_EQ(readCode(), SQLITE_IOERR);
  EXPECT_EQ(readCode(), SQLITE_OK);
  EXPECT_EQ(faults_.operationsSeen(), 3);
  EXPECT_EQ(faults_.faultsInjected(), 1);

  faults_.failAt(2, InjectedFault::kIoError, FaultInjector::kPersistent);
  EXPECT_EQ(readCode(), SQLITE_OK);
  EXPECT_EQ(syncCode(), SQLITE_IOERR);
  EXPECT_EQ(readCode(), SQLITE_IOERR);
  EXPECT_EQ(faults_.faultsInjected(), 2);
  EXPECT_EQ(faults_.firstFailedOperation(), FileOperation::kSync);
}

TEST_F(FaultInjectionTest, WithoutAHookNothingFailsAndTheHookIsPutBackInScope) {
  File file = File::openReadWrite(path_);
  faults_.failAt(1, InjectedFault::kIoError, FaultInjector::kPersistent);
  {
    ScopedFaultHook hook(&faults_);
    EXPECT_EQ(errorCodeOf([&] { file.sync(); }), SQLITE_IOERR);
  }
  EXPECT_EQ(errorCodeOf([&] { file.sync(); }), SQLITE_OK);
  EXPECT_EQ(faults_.faultsInjected(), 1);
}

}  // namespace
}  // namespace sqlite2
