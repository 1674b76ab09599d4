#pragma once

// A process-wide hook that every file-system primitive of the OS layer consults just before
// its system call, so that tests can make the Nth operation fail as a failing disk would and
// check that the layers above report the failure cleanly and keep the file intact.
//
// Each primitive calls injectedFault(kind) (or, in the POSIX layer, callUnlessFaulted) once
// per operation. When no hook is installed, which is always the case outside tests, that is
// one relaxed atomic load and a branch. When the hook answers with a fault, the primitive
// behaves exactly as if its system call had failed with the matching system error, so the
// layer's own error handling is what gets exercised:
//   kIoError  - EIO on POSIX, ERROR_IO_DEVICE on Windows: reported as SQLITE_IOERR (or
//               SQLITE_CANTOPEN for an open);
//   kDiskFull - ENOSPC on POSIX, ERROR_DISK_FULL on Windows: SQLITE_FULL for writes and
//               truncation, whatever the layer reports for that error elsewhere.
// The system call itself is not made when a fault is injected.
//
// The hook is called from whichever thread runs the operation; a hook shared by threads must
// be thread-safe. Installing and removing it is not synchronised with operations in flight:
// tests install it while no other thread touches files.

#include <atomic>
#include <cerrno>

namespace sqlite2 {

// The kinds of operation a hook can fail. Every OS layer consults the hook for each of them
// that it has.
enum class FileOperation {
  kOpen,           // opening an existing file, or opening/creating the database file
  kCreate,         // creating a new file: the journal (exclusively) or a temporary file
  kRead,           // reading bytes
  kWrite,          // writing bytes
  kSync,           // making a file's data durable
  kTruncate,       // changing a file's size
  kFileSize,       // asking a file's size or identity
  kLock,           // taking or changing a lock on the database file (releasing never fails)
  kDelete,         // deleting a file by its path
  kDirectorySync,  // making a directory's entries durable (a call on POSIX only)
};
constexpr int kFileOperationKinds = 10;

enum class InjectedFault {
  kNone,      // the operation goes ahead
  kIoError,   // it fails as with EIO
  kDiskFull,  // it fails as with ENOSPC
};

class FaultHook {
 public:
  virtual ~FaultHook() = default;
  // Called once before each operation; the answer decides whether it fails.
  virtual InjectedFault before(FileOperation operation) = 0;
};

namespace fault_injection_detail {
extern std::atomic<FaultHook*> installedHook;
}

// Installs the hook (nullptr removes it) and returns the one installed before. The hook must
// outlive its installation.
FaultHook* installFaultHook(FaultHook* hook);

inline InjectedFault injectedFault(FileOperation operation) {
  FaultHook* hook = fault_injection_detail::installedHook.load(std::memory_order_relaxed);
  return hook ? hook->before(operation) : InjectedFault::kNone;
}

// The system error a fault stands for: 0, EIO or ENOSPC.
inline int injectedErrno(FileOperation operation) {
  switch (injectedFault(operation)) {
    case InjectedFault::kNone:
      return 0;
    case InjectedFault::kIoError:
      return EIO;
    case InjectedFault::kDiskFull:
      return ENOSPC;
  }
  return 0;
}

// Runs a POSIX call that reports failure by returning -1 with errno set, unless the hook
// fails the operation: then it returns -1 with errno set to the fault's error instead, and
// the call is not made.
template <typename Call>
auto callUnlessFaulted(FileOperation operation, Call call) -> decltype(call()) {
  if (int error = injectedErrno(operation)) {
    errno = error;
    return -1;
  }
  return call();
}

// Installs a hook for the lifetime of the object and puts the previous one back after it.
class ScopedFaultHook {
 public:
  explicit ScopedFaultHook(FaultHook* hook) : previous_(installFaultHook(hook)) {}
  ~ScopedFaultHook() { installFaultHook(previous_); }
  ScopedFaultHook(const ScopedFaultHook&) = delete;
  ScopedFaultHook& operator=(const ScopedFaultHook&) = delete;

 private:
  FaultHook* previous_;
};

}  // namespace sqlite2
