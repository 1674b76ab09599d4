#pragma once

// A database file together with one connection's whole-file lock on it, laid out as the
// reference library does on Unix: non-blocking fcntl(F_SETLK) locks over the whole file
// (offset 0, length 0), F_RDLCK for the shared lock, F_WRLCK for the exclusive one, F_UNLCK to
// release. Connections of one process share the process's lock through InodeLockTable: a
// second connection is refused the exclusive lock while another holds the shared one, and the
// fcntl lock is released only when the last connection lets go of it.
//
// On Windows (os/win/) the locks are SQLite 2.8's byte-range locks there, far past any data:
// a gate byte at offset 0xFFFFD800, taken exclusively for a moment around every change, and
// the 10239 bytes after it, locked shared by readers and exclusively by the writer. Windows
// locks belong to a handle, so connections of one process exclude each other by themselves.
//
// try...() returns false when the lock is held elsewhere; other failures throw sqlite2::Error
// (SQLITE_NOLFS when the kernel refuses the lock request as invalid, SQLITE_IOERR otherwise).

#include "os/file.h"

namespace sqlite2 {

enum class LockLevel { kNone, kShared, kExclusive };

struct InodeLocks;  // POSIX only

class LockedFile {
 public:
  explicit LockedFile(File file);
  // Releases the lock. The descriptor is closed at once unless another connection of this
  // process still holds a lock on the file; then it stays open until that lock is gone.
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  File& file() { return file_; }
  const File& file() const { return file_; }
  LockLevel level() const { return level_; }

  // No lock -> shared. True at once when this connection already holds a lock.
  bool tryShared();
  // Shared -> exclusive. Refused on a read-only descriptor. Called without a lock, it takes the
  // shared lock first and keeps it when the exclusive one is refused.
  bool tryExclusive();
  // Exclusive -> shared, without ever leaving the file unlocked.
  void downgrade();
  // Any -> no lock.
  void unlock() noexcept;

 private:
  File file_;
  FileIdentity identity_;
  InodeLocks* locks_;
  LockLevel level_ = LockLevel::kNone;
};

}  // namespace sqlite2
