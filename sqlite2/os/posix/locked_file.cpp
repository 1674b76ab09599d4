#include "os/locked_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/error.h"
#include "os/fault_injection.h"
#include "os/posix/inode_lock_table.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// Returns false when another process holds a conflicting lock.
bool setWholeFileLock(int descriptor, short type) {
  struct flock request = {};
  request.l_type = type;
  request.l_whence = SEEK_SET;
  request.l_start = 0;
  request.l_len = 0;
  while (callUnlessFaulted(FileOperation::kLock,
                           [&] { return fcntl(descriptor, F_SETLK, &request); }) != 0) {
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return false;
    if (errno == EINVAL) throw Error(SQLITE_NOLFS);
    throw Error(SQLITE_IOERR);
  }
  return true;
}

void closeParked(InodeLocks& locks) {
  for (int descriptor : locks.parkedDescriptors) ::close(descriptor);
  locks.parkedDescriptors.clear();
}

}  // namespace

LockedFile::LockedFile(File file) : file_(std::move(file)), identity_(file_.identity()) {
  std::lock_guard<std::mutex> guard(InodeLockTable::instance().mutex());
  locks_ = &InodeLockTable::instance().attach(identity_);
}

LockedFile::~LockedFile() {
  unlock();
  InodeLockTable& table = InodeLockTable::instance();
  std::lock_guard<std::mutex> guard(table.mutex());
  if (locks_->anyLockHeld()) {
    locks_->parkedDescriptors.push_back(file_.release());
  } else {
    file_.close();
  }
  table.detach(identity_);
}

bool LockedFile::tryShared() {
  if (level_ != LockLevel::kNone) return true;
  std::lock_guard<std::mutex> guard(InodeLockTable::instance().mutex());
  if (locks_->writer) return false;
  if (locks_->readers == 0 && !setWholeFileLock(file_.descriptor(), F_RDLCK)) return false;
  ++locks_->readers;
  level_ = LockLevel::kShared;
  return true;
}

bool LockedFile::tryExclusive() {
  if (level_ == LockLevel::kExclusive) return true;
  if (file_.isReadOnly()) return false;
  if (!tryShared()) return false;
  std::lock_guard<std::mutex> guard(InodeLockTable::instance().mutex());
  if (locks_->readers > 1) return false;
  if (!setWholeFileLock(file_.descriptor(), F_WRLCK)) return false;
  locks_->readers = 0;
  locks_->writer = true;
  level_ = LockLevel::kExclusive;
  return true;
}

void LockedFile::downgrade() {
  if (level_ != LockLevel::kExclusive) return;
  std::lock_guard<std::mutex> guard(InodeLockTable::instance().mutex());
  // Turning our own write lock into a read lock cannot conflict with anybody.
  if (!setWholeFileLock(file_.descriptor(), F_RDLCK)) throw Error(SQLITE_IOERR);
  locks_->writer = false;
  locks_->readers = 1;
  level_ = LockLevel::kShared;
}

void LockedFile::unlock() noexcept {
  if (level_ == LockLevel::kNone) return;
  std::lock_guard<std::mutex> guard(InodeLockTable::instance().mutex());
  if (level_ == LockLevel::kShared && locks_->readers > 1) {
    --locks_->readers;
  } else {
    struct flock request = {};
    request.l_type = F_UNLCK;
    request.l_whence = SEEK_SET;
    while (fcntl(file_.descriptor(), F_SETLK, &request) != 0 && errno == EINTR) {
    }
    locks_->readers = 0;
    locks_->writer = false;
    closeParked(*locks_);
  }
  level_ = LockLevel::kNone;
}

}  // namespace sqlite2
