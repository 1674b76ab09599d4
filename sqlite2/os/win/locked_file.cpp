#include "os/locked_file.h"

#include <windows.h>

#include "common/error.h"
#include "os/win/system_error.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// SQLite 2.8's lock region on Windows: the gate byte, then the bytes readers share and the
// writer holds alone. It lies past any realistic end of file, since Windows also keeps other
// handles from reading and writing locked bytes.
constexpr DWORD kGateByte = 0xFFFFD800;
constexpr DWORD kRangeStart = kGateByte + 1;
constexpr DWORD kRangeLength = 10239;

// Another connection holds the gate only while it changes its own lock.
constexpr int kGateTries = 100;
// Giving up a write lock must not fail for want of the gate; it waits longer for it.
constexpr int kPatientGateTries = 5000;

HANDLE handleOf(const File& file) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file.descriptor()));
}

// Each change of the connection's lock is one operation for the fault hook, however many
// byte ranges it takes: the same count as on POSIX systems, where it is one fcntl call.
void askFaultHook() {
  if (faultInjected(FileOperation::kLock)) throw Error(SQLITE_IOERR);
}

// Locks bytes without waiting. False when another handle holds a conflicting lock.
bool lockBytes(HANDLE handle, DWORD offset, DWORD length, bool exclusive) {
  OVERLAPPED position = {};
  position.Offset = offset;
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (LockFileEx(handle, flags, 0, length, 0, &position)) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return false;
  throw Error(SQLITE_IOERR);
}

void unlockBytes(HANDLE handle, DWORD offset, DWORD length) {
  OVERLAPPED position = {};
  position.Offset = offset;
  UnlockFileEx(handle, 0, length, 0, &position);
}

bool takeGate(HANDLE handle, int tries) {
  for (int attempt = 0; attempt < tries; ++attempt) {
    if (lockBytes(handle, kGateByte, 1, true)) return true;
    Sleep(1);
  }
  return false;
}

void releaseGate(HANDLE handle) {
  unlockBytes(handle, kGateByte, 1);
}

// Holds the gate for the life of the object, if it could be had.
class Gate {
 public:
  Gate(HANDLE handle, int tries) : handle_(handle), held_(takeGate(handle, tries)) {}
  ~Gate() {
    if (held_) releaseGate(handle_);
  }
  Gate(const Gate&) = delete;
  Gate& operator=(const Gate&) = delete;
  bool held() const { return held_; }

 private:
  HANDLE handle_;
  bool held_;
};

}  // namespace

LockedFile::LockedFile(File file) : file_(std::move(file)), locks_(nullptr) {}

LockedFile::~LockedFile() {
  unlock();
}

bool LockedFile::tryShared() {
  if (level_ != LockLevel::kNone) return true;
  askFaultHook();
  HANDLE handle = handleOf(file_);
  Gate gate(handle, kGateTries);
  if (!gate.held() || !lockBytes(handle, kRangeStart, kRangeLength, false)) return false;
  level_ = LockLevel::kShared;
  return true;
}

// Behind the gate nobody else can take the range, so giving up the shared lock to ask for the
// exclusive one loses nothing: when it is refused, the shared lock is taken again at once.
bool LockedFile::tryExclusive() {
  if (level_ == LockLevel::kExclusive) return true;
  if (file_.isReadOnly()) return false;
  if (!tryShared()) return false;
  askFaultHook();
  HANDLE handle = handleOf(file_);
  Gate gate(handle, kGateTries);
  if (!gate.held()) return false;
  unlockBytes(handle, kRangeStart, kRangeLength);
  level_ = LockLevel::kNone;
  if (lockBytes(handle, kRangeStart, kRangeLength, true)) {
    level_ = LockLevel::kExclusive;
    return true;
  }
  if (!lockBytes(handle, kRangeStart, kRangeLength, false)) throw Error(SQLITE_IOERR);
  level_ = LockLevel::kShared;
  return false;
}

void LockedFile::downgrade() {
  if (level_ != LockLevel::kExclusive) return;
  askFaultHook();
  HANDLE handle = handleOf(file_);
  Gate gate(handle, kPatientGateTries);
  if (!gate.held()) throw Error(SQLITE_IOERR);
  unlockBytes(handle, kRangeStart, kRangeLength);
  level_ = LockLevel::kNone;
  if (!lockBytes(handle, kRangeStart, kRangeLength, false)) throw Error(SQLITE_IOERR);
  level_ = LockLevel::kShared;
}

void LockedFile::unlock() noexcept {
  if (level_ == LockLevel::kNone) return;
  unlockBytes(handleOf(file_), kRangeStart, kRangeLength);
  level_ = LockLevel::kNone;
}

}  // namespace sqlite2
